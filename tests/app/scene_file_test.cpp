// Scene files: every kind of fault gets one message with the file and line, the shipped scenes
// load, and a scene runs as written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/scene_builder.h"
#include "app/scene_run.h"

namespace {

struct SceneFileTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::current_path(std::filesystem::path(TOVREL_SOURCE_DIR) / "data");
    }
};

constexpr char kBox[] = "[[body]]\nshape = \"box\"\nsize = [0.5, 0.5, 0.5]\n";
const std::string kAt = "size = [1, 1, 1]\nposition = [0, 0, 0]\n";
const std::string kBoxAt = kBox + std::string("position = [0, 0, 0]\n");

// The message of loading `text` as s.toml; empty when it loads.
std::string Fault_Of(const std::string& text) {
    try {
        Build_Scene_From(Parse_Scene(text, "s.toml"));
    } catch (const SceneFileError& fault) {
        return fault.what();
    }
    return {};
}

TEST_F(SceneFileTest, EachFaultIsOneMessageNamingTheFileAndLine) {
    const std::string broken_mesh = TOVREL_SOURCE_DIR "/tests/geometry/fuzz_corpus/broken.poly";
    const struct {
        std::string text, fault;
    } rows[] = {
        {"[scene\n", "s.toml:1: not valid TOML"},
        {"[scene]\nroom = [4, 4, 4]\ncolour = 1\n", "s.toml:3: [scene]: unknown key \"colour\""},
        {"[scene]\n[[body]]\nshape = \"box\"\nfoo = 1\n", "s.toml:4: body \"Body 1\": unknown key"},
        {"[[body]]\nshape = \"cone\"\n" + kAt, "s.toml:2: body \"Body 1\": unknown shape"},
        {kBoxAt + "mode = \"flying\"", "s.toml:5: body \"Body 1\": unknown mode \"flying\""},
        {"[[body]]\nshape = 3\n" + kAt, "s.toml:2: body \"Body 1\": shape must be a string"},
        {"[[body]]\nname = \"B\"\nshape = \"box\"\nsize = [1, 1]\nposition = [0, 0, 0]",
         "s.toml:4: body \"B\": size: half sizes must be an array of 3 numbers, not of 2"},
        {"[[body]]\nshape = \"box\"\nsize = [1, 0, 1]\nposition = [0, 0, 0]",
         "s.toml:3: body \"Body 1\": size: half sizes: each must be more than 0"},
        {std::string(kBox) + "position = [0, 0, inf]", "s.toml:4: body \"Body 1\": position[2]"},
        {kBoxAt + "max_stretch = 3.5", "s.toml:5: body \"Body 1\": max_stretch is 3.5, but"},
        {kBoxAt + "stretch_rate = -1", "s.toml:5: body \"Body 1\": stretch_rate is -1, but it"},
        {kBoxAt + "max_squash = 0.05", "s.toml:5: body \"Body 1\": max_squash is 0.05, but it"},
        {kBoxAt + "restitution = 1.5", "s.toml:5: body \"Body 1\": restitution is 1.5, but it"},
        {kBoxAt + "squash_rate = 0", "s.toml:5: body \"Body 1\": squash_rate is 0, but it"},
        {kBoxAt + "max_stretch = 3\nmax_squash = 0.1\nstretch_rate = 2\nrestitution = 0", ""},
        {kBoxAt + kBox + "position = [0.9, 0.9, 0.9]",
         "s.toml:5: bodies \"Body 1\" (line 1) and \"Body 2\" start touching or inside"},
        {"[scene]\nroom = [2, 2, 2]\n" + std::string(kBox) + "position = [0, 0, 0.4]",
         "s.toml:3: body \"Body 1\" is not inside the room"},
        {"[[body]]\nshape = \"no.poly\"\nsize = [1, 1, 1]\nposition = [0, 0, 0]",
         "s.toml:1: body \"Body 1\": the mesh file "},
        {"[[body]]\nshape = \"" + broken_mesh + "\"\nsize = [1, 1, 1]\nposition = [0, 0, 0]",
         "s.toml:1: body \"Body 1\": PolyObject::PolyObject: Cannot load file"},
        {"[scene]\n", "s.toml:1: no [[body]]"},
        {"body = 3\n", "s.toml:1: body must be [[body]] tables"},
    };
    for (const auto& row : rows) {
        const std::string fault = Fault_Of(row.text);
        EXPECT_TRUE(row.fault.empty() ? fault.empty() : fault.find(row.fault) != fault.npos)
            << row.text << "\n gave: " << fault;
    }
}

TEST_F(SceneFileTest, EveryShippedSceneLoads) {
    int scenes = 0;
    for (const auto& file : std::filesystem::directory_iterator("scenes")) {
        SCOPED_TRACE(file.path().string());
        const std::unique_ptr<Scene> scene = Load_Scene(file.path().string());
        EXPECT_GE(scene->bodies.size(), 5u);
        EXPECT_EQ(scene->room.size(), 6u);
        ++scenes;
    }
    EXPECT_GE(scenes, 3);
}

// What a step leaves tried is what it commits, so what is drawn and audited is where the bodies
// were kept: a free body carried along by a contact that starts at the very end of a step stays
// where it was carried (in the Pile at 1.27 s and the Stack at 2.62 s it was drawn where it had
// been, sunk 0.01 into the body above it). And no two bodies are left sunk into each other at the
// end of a step (the Head-on's at 5.45 s by a ball pushed out of the floor into the one above it).
TEST_F(SceneFileTest, EveryShippedSceneCommitsWhatItTriedWithNoBodySunkIntoAnother) {
    for (const auto& file : std::filesystem::directory_iterator("scenes")) {
        SCOPED_TRACE(file.path().string());
        const std::unique_ptr<Scene> scene = Load_Scene(file.path().string());
        Tovrel& sim = *scene->simulator;
        SimAudit audit(sim, {Audit_Room(Read_Scene_File(file.path().string()))});
        while (sim.time < 40.0) {
            sim.Step(1.0 / 60);
            for (const SimObject* body : sim.active_objects) {
                ASSERT_TRUE(body->new_state.position == body->state.position &&
                            body->new_state.scale == body->state.scale)
                    << body->name << " at " << sim.time;
            }
            for (const AuditViolation& violation : audit.Check(sim.time)) {
                ADD_FAILURE() << violation.text << " at " << sim.time;
            }
        }
    }
}

// A ball of radius 0.3 that does not stretch, let go 2 above the floor, meets it after falling
// 1.7 under the default gravity of 9.8: at sqrt(2 * 1.7 / 9.8) = 0.58902 s.
TEST_F(SceneFileTest, ABallLetGoInTheRoomLandsOnItsFloorWhenItShould) {
    auto scene = Build_Scene_From(Parse_Scene(
        "[scene]\nroom = [3, 1, 4]\n[[body]]\nshape = \"ball\"\nsize = [0.3, 0.3, 0.3]\n"
        "position = [0, 0, 2]\nmax_stretch = 1\n",
        "drop.toml"));
    EXPECT_EQ(scene->bodies[0].simulated->max_squash, 0.45) << "the ball's, unless given";
    static double landed = -1.0;
    scene->simulator->on_collision = [](Collision*, void* s) { landed = ((Tovrel*)s)->time; };
    scene->simulator->on_collision_user = scene->simulator.get();
    while (landed < 0.0 && scene->simulator->time < 1.0) {
        scene->simulator->Step(1.0 / 60);
    }
    EXPECT_NEAR(landed, 0.58902, 0.0015);
}

}  // namespace
