// The demo's entry point: reads the command line, then either runs the game without a window or
// opens the main window with the scene and hands over to the toolkit's event loop.
#include <FL/Fl.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Value_Slider.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/breakout_scene.h"
#include "app/data_folder.h"
#include "app/headless_run.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/scene_chooser.h"
#include "app/scene_in_window.h"
#include "app/scene_run.h"
#include "app/window_scene_view.h"
#include "geometry/generic_exception.h"
#include "render/render_window.h"

namespace {

constexpr int kFailed = 1;
// The scene files the window's chooser offers, in the data folder.
constexpr char kScenesFolder[] = "scenes";

// The toolkit's timers, ending the program once the play timer has ticked `limit` times (never
// when 0): a length in game time, which a film made of every tick keeps, however slowly each is
// drawn.
class TickLimitTimers : public ToolkitTimers {
public:
    explicit TickLimitTimers(long limit) : limit_(limit) {}
    void Repeat_Timeout(double seconds, Callback callback, void* user) override {
        if (callback == Shown_Scene()->Play_Timer().callback && limit_ > 0 && ++ticks_ >= limit_) {
            Quit_Program();
            return;
        }
        ToolkitTimers::Repeat_Timeout(seconds, callback, user);
    }

private:
    const long limit_;
    long ticks_ = 0;
};

// Works inside the data folder from here on, saying so when it is not the working directory.
DataFolder Enter_Data_Folder() {
    std::error_code error;
    const std::string working = std::filesystem::current_path(error).string();
    const DataFolder data = Find_Data_Folder(working, TOVREL_DATA_DIR, kBallMeshPath);
    if (data.path == working) {
        return data;
    }
    std::filesystem::current_path(data.path, error);
    if (!error) {
        std::printf("%s: no %s in the working directory %s; working in %s\n", kProgram,
                    kBallMeshPath, working.c_str(), data.path.c_str());
    }
    return data;
}

// `scene` was read from `scene_path`, a full path, or is null for the breakout.
int Run_Window(const Options& options, std::vector<char*>& toolkit_args,
               std::unique_ptr<Scene> scene, const std::string& scene_path) {
    Build_Main_Window();
    static WindowSceneView view(*g_pRenderWindow, *g_pObjectBrowser);
    static TickLimitTimers timers(options.quit_after_ticks);
    std::vector<SceneChoice> choices = Scene_Choices(kScenesFolder);
    size_t shown = 0;  // the breakout
    if (scene != nullptr) {
        shown = Choice_For(choices, scene_path);
        Show_Scene(std::move(scene), &view, &timers);  // no paddle for the autopilot to steer
    } else {
        Show_Breakout(BreakoutScene::Build_Scene(&view, &timers, nullptr, options.autopilot));
    }
    Offer_Scenes(std::move(choices), shown, &view, &timers, options.autopilot);

    if (options.capture) {
        g_pCaptureButton->value(1);
        g_pCaptureButton->do_callback();
        g_pFrameSkipSlider->value(options.frame_skip);
        g_pFrameSkipSlider->do_callback();
    }
    if (options.show_contacts) {
        g_pShowContactsButton->value(1);
        g_pShowContactsButton->do_callback();
    }
    g_pMainWindow->show(static_cast<int>(toolkit_args.size()), toolkit_args.data());
    if (options.play) {
        Play_Callback(nullptr, nullptr);
    }
    if (options.quit_after > 0.0) {
        Fl::add_timeout(
            options.quit_after, [](void*) { Quit_Program(); }, nullptr);
    }
    Fl::run();
    Close_Scene();
    return g_pRenderWindow->Exit_Status();
}

}  // namespace

int main(int argc, char** argv) {
    // Progress and game events appear as they happen, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    // argv[0] and the toolkit's own options, for the main window to take when it is shown.
    std::vector<char*> toolkit_args{argv[0]};
    const std::string error = Read_Command_Line(argc, argv, Fl::arg, options, toolkit_args);
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return kBadCommandLine;
    }
    if (options.help) {
        std::fputs((Usage(kProgram) + Fl::help).c_str(), stdout);
        std::fputc('\n', stdout);
        return 0;
    }
    // A scene file is read where the user named it, before the program may move to its data.
    std::optional<SceneDescription> scene_file;
    std::string scene_path;  // the file's full path, for the window's chooser to know it by
    try {
        if (!options.scene.empty()) {
            scene_file = Read_Scene_File(options.scene);
            scene_path = std::filesystem::absolute(options.scene).string();
        }
    } catch (const SceneFileError& fault) {
        std::fprintf(stderr, "%s: %s\n", kProgram, fault.what());
        return kFailed;
    }
    const DataFolder data = Enter_Data_Folder();
    try {
        if (options.headless > 0.0 && scene_file) {
            const std::optional<SpaceBox> audit_room =
                options.audit ? std::optional<SpaceBox>(Audit_Room(*scene_file)) : std::nullopt;
            const SceneRunSummary run = Run_Scene_Headless(*Build_Scene_From(*scene_file),
                                                           options.headless, stdout, audit_room);
            return run.audit_violations > 0 ? kFailed : 0;
        }
        if (options.headless > 0.0) {
            HeadlessOptions headless;
            headless.seconds = options.headless;
            headless.autopilot = options.autopilot;
            headless.show_contacts = options.show_contacts;
            headless.audit = options.audit;
            // The run did what was asked whatever happened in the game; the summary tells that.
            // Only the audit judges the simulation.
            return Run_Headless(headless, stdout).audit_violations > 0 ? kFailed : 0;
        }
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            std::fprintf(stderr,
                         "%s: no display to open a window on (DISPLAY is not set); give one with "
                         "-display, or run without a window with --headless SECONDS\n",
                         kProgram);
            return kFailed;
        }
        return Run_Window(options, toolkit_args,
                          scene_file ? Build_Scene_From(*scene_file) : nullptr, scene_path);
    } catch (GenericException* fault) {
        std::string text = fault->Message();
        if (!fault->Detail().empty()) {
            text += ": " + fault->Detail();
        }
        delete fault;
        // Only the data files throw these.
        std::fprintf(stderr, "%s: %s\n%s: looked for the data in %s\n", kProgram, text.c_str(),
                     kProgram, data.looked_in.c_str());
        return kFailed;
    } catch (const std::exception& fault) {
        std::fprintf(stderr, "%s: %s\n", kProgram, fault.what());
        return kFailed;
    }
}
