#include "app/headless_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <optional>

#include "app/breakout_room.h"
#include "app/breakout_scene.h"
#include "app/headless_view.h"
#include "sim/audit.h"
#include "sim/collision.h"
#include "sim/pair_records.h"

namespace {

constexpr double kTicksPerSecond = 60.0;
// Seconds that differ from a whole number of nominal ticks by less than this count as that many.
constexpr double kTickRounding = 1e-6;

// Prints each game event as a line stamped with the timer's clock and the tick.
class EventPrinter : public GameEvents {
public:
    EventPrinter(std::FILE* out, const SimulatedTimers& timers, HeadlessSummary& summary)
        : out_(out), timers_(timers), summary_(summary) {}

    void Block_Hit(const Block& block) override {
        Line("block %d hit (row %d, column %d)", block.grid_index, block.grid_index / kGridColumns,
             block.grid_index % kGridColumns);
    }
    void Block_Removed(const Block& block, int blocks_left) override {
        ++summary_.blocks_cleared;
        Line("block %d removed, %d left", block.grid_index, blocks_left);
    }
    void New_Layout(int blocks) override {
        ++summary_.layouts;
        Line("new layout of %d blocks", blocks);
    }
    void Reset_By_Slab() override {
        ++summary_.resets;
        Line("reset: the ball fell onto the Reset slab");
    }
    void Reset_By_Autopilot() override {
        ++summary_.resets;
        Line("reset by the autopilot: the ball had come to rest");
    }
    void Ball_Lost(const Vector3d& where) override {
        ++summary_.balls_lost;
        Line("the ball was lost outside the room at (%.6f, %.6f, %.6f): starting over", where.x,
             where.y, where.z);
    }
    void Ball_Restored() override {
        ++summary_.balls_restored;
        Line("ball restored");
    }

    __attribute__((format(printf, 2, 3))) void Line(const char* format, ...) {
        std::fprintf(out_, "%10.3f s  tick %7ld  ", timers_.Now(), summary_.ticks);
        va_list args;
        va_start(args, format);
        std::vfprintf(out_, format, args);
        va_end(args);
        std::fputc('\n', out_);
    }

private:
    std::FILE* out_;
    const SimulatedTimers& timers_;
    HeadlessSummary& summary_;
};

// The record of the body the ball will reach first if nothing turns either: of the pairs apart and
// closing, along the line between their witness points, the one with the least gap over closing
// speed; null when the ball closes on none.
const Collision* Heading_Record(const std::vector<const Collision*>& records,
                                const SimObject& ball) {
    const Collision* heading = nullptr;
    double soonest = 0.0;
    for (const Collision* c : records) {
        const bool ball_is_a = c->body_a == &ball;
        Vector3d across = ball_is_a ? c->point_b - c->point_a : c->point_a - c->point_b;
        if (c->distance <= 0.0 || across.Vanishes()) {
            continue;
        }
        across.Set_Length(1.0);
        const SimObject& other = ball_is_a ? *c->body_b : *c->body_a;
        const double closing = Dot(ball.state.velocity - other.state.velocity, across);
        if (closing > 0.0 && (heading == nullptr || c->distance / closing < soonest)) {
            heading = c;
            soonest = c->distance / closing;
        }
    }
    return heading;
}

// What the pair records keep of the ball (among the bodies near enough to be queried): the body
// it is heading for and its nearest when they differ (else only the nearest), the gaps, the
// closest feature on each side of the first named, and the walk's state tests per pair query
// since the last line.
class ContactsPrinter {
public:
    explicit ContactsPrinter(EventPrinter& printer) : printer_(printer) {}

    void Print(const BreakoutScene& scene) {
        const WalkCounter::Work work = walk_.Take();
        const Tovrel& simulator = *scene.g_pSimulator;
        const PolyObject& ball = *scene.g_pBall;
        const Collision* nearest = Nearest_Record(simulator, ball);
        if (nearest == nullptr) {
            if (!scene.Ball_In_Play()) {
                printer_.Line("contacts: the ball is out of play");
            } else {
                printer_.Line(
                    "contacts: nothing near the ball; %.2f tests per query over %lu queries",
                    work.tests_per_query, work.queries);
            }
            return;
        }
        const Collision* heading = Heading_Record(Records_Of(simulator, ball), ball);
        const bool apart = heading != nullptr && heading != nearest;
        const Collision& first = apart ? *heading : *nearest;
        const bool ball_is_a = first.body_a == &ball;
        const SimObject& other = ball_is_a ? *first.body_b : *first.body_a;
        const std::string ball_feature =
            Feature_Label(*ball.polyhedron, ball_is_a ? first.feature_a : first.feature_b);
        const std::string other_feature =
            Feature_Label(*other.polyhedron, ball_is_a ? first.feature_b : first.feature_a);
        std::string also;
        if (apart) {
            also = "; nearest " + Name_Of(scene, Other_Body(*nearest, ball)) + " " +
                   Gap(simulator, *nearest);
        }
        printer_.Line("contacts: %s %s %s, ball %s to %s%s; %.2f tests per query over %lu queries",
                      apart ? "heading for" : "nearest", Name_Of(scene, other).c_str(),
                      Gap(simulator, first).c_str(), ball_feature.c_str(), other_feature.c_str(),
                      also.c_str(), work.tests_per_query, work.queries);
    }

private:
    static const SimObject& Other_Body(const Collision& c, const SimObject& ball) {
        return c.body_a == &ball ? *c.body_b : *c.body_a;
    }
    // A block by its name and its place in the grid, any other body by its name.
    static std::string Name_Of(const BreakoutScene& scene, const SimObject& body) {
        std::string name = body.name;
        for (const auto& block : scene.g_apBlocks) {
            if (block.get() == &body) {
                name += " " + std::to_string(block->grid_index);
            }
        }
        return name;
    }
    static std::string Gap(const Tovrel& simulator, const Collision& c) {
        if (simulator.In_Contact(c)) {
            return "in contact";
        }
        char gap[32];
        std::snprintf(gap, sizeof gap, "at gap %.4f", c.distance);
        return gap;
    }

    EventPrinter& printer_;
    WalkCounter walk_;
};

}  // namespace

long Write_Audit_Summary(const SimAudit& audit, std::FILE* out) {
    std::fprintf(out, "%s\n", audit.Summary().c_str());
    return audit.Total();
}

double Seconds_Since(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

long Ticks_For(double seconds) {
    return static_cast<long>(std::ceil(seconds * kTicksPerSecond - kTickRounding));
}

HeadlessSummary Run_Headless(const HeadlessOptions& options, std::FILE* out) {
    const auto started = std::chrono::steady_clock::now();
    HeadlessSummary summary;
    HeadlessView view;
    SimulatedTimers timers;
    EventPrinter printer(out, timers, summary);
    ContactsPrinter contacts(printer);

    std::unique_ptr<BreakoutScene> scene =
        BreakoutScene::Build_Scene(&view, &timers, &printer, options.autopilot);
    timers.Add_Timeout(g_fTickPeriod, Play_Tick, scene.get());
    std::optional<SimAudit> audit;
    if (options.audit) {
        audit.emplace(*scene->g_pSimulator, Breakout_Room());
    }

    const long ticks = Ticks_For(options.seconds);
    while (summary.ticks < ticks) {
        const SceneTimers::Callback next = timers.Next();
        if (next == nullptr) {
            break;  // the play timer stopped re-arming: nothing more can happen
        }
        // Events of a tick carry its number; those between ticks the number of the last one.
        if (next == Play_Tick) {
            ++summary.ticks;
        }
        timers.Run_Next();
        if (next != Play_Tick) {
            continue;
        }
        summary.simulated_seconds += g_fTickPeriod * g_dTimeScale;
        if (audit) {
            for (const AuditViolation& violation : audit->Check(timers.Now())) {
                printer.Line("audit: %s", violation.text.c_str());
            }
        }
        if (options.show_contacts && summary.ticks % static_cast<long>(kTicksPerSecond) == 0) {
            contacts.Print(*scene);
        }
    }
    scene.reset();

    summary.wall_seconds = Seconds_Since(started);
    std::fprintf(out,
                 "headless: %ld ticks, %.3f s simulated in %.3f s wall-clock; %d blocks cleared, "
                 "%d layouts, %d resets, %d balls restored, %d balls lost outside the room\n",
                 summary.ticks, summary.simulated_seconds, summary.wall_seconds,
                 summary.blocks_cleared, summary.layouts, summary.resets, summary.balls_restored,
                 summary.balls_lost);
    if (audit) {
        summary.audit_violations = Write_Audit_Summary(*audit, out);
    }
    std::fflush(out);
    return summary;
}
