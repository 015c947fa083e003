#include "sim/tovrel.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "math/invariant.h"
#include "sim/cartoon_response.h"
#include "sim/penetration_depth.h"
#include "sim/push_out.h"
#include "sim/sim_object.h"

namespace {

// The bisection narrows a first contact down to this many seconds.
constexpr double kContactTimePrecision = 0.001;

// Two bodies sunk into each other at a step's end part along their record's normal unless their
// faces show a way out shorter than that by more than this, the searches' precision: of two balls
// one dropped straight onto the other, the normal of a face a few degrees off the vertical, shorter
// by less than that, sent the upper one off sideways, to fall past the lower one.
constexpr double kShorterWay = 0.001;

// When the centre of a body flying free (no contact at all, or only contacts whose timetables it
// has finished, flying on while its partners deform) entered the fixed body of `c` on its way from
// its committed state to its tried one, if it did: a body fast enough to cross a wall between two
// probes is found touching it at neither. A ball thrown off another at 47 a second, done with its
// squash while the other's went on, crossed the front wall so. Only a way longer than the body's
// reach can end clear of a body it entered. The pair's last separation then is the one beyond the
// wall, which the contact would go by (it would push the body on through): the pair is asked again
// where the body set out.
std::optional<double> Centre_Entered(Collision& c) {
    for (SimObject* x : {c.body_a, c.body_b}) {
        const SimObject& other = c.Other(*x);
        const auto done = [x](const Collision* k) {
            return k->Response_Of(*x).role == Response::Role::Done;
        };
        if (x->state.mode != SimMode::Free || other.state.mode != SimMode::Fixed ||
            !std::all_of(x->collisions.begin(), x->collisions.end(), done)) {
            continue;
        }
        const Vector3d from = x->state.position;
        const Vector3d way = x->new_state.position - from;
        if (!(way.Length() > x->Reach_At_Tentative_State())) {
            return std::nullopt;
        }
        const std::optional<double> enters = Passes_Through(other, from, way);
        if (!enters) {
            return std::nullopt;
        }
        const SimState tried = x->new_state;
        x->new_state = x->state;
        Query_Pair(c);
        x->new_state = tried;
        x->Tentative_Transform();  // the pass holds on to it, where it stands now
        return x->state.time + *enters * (tried.time - x->state.time);
    }
    return std::nullopt;
}

using Role = Response::Role;

// A body's part in a contact found now: a body that cannot deform is still; one that already
// deforms in another contact waits for it to end.
Role Starting_Role(const SimObject& x) {
    if (x.state.mode != SimMode::Free && x.state.mode != SimMode::Resting) {
        return Role::Still;
    }
    return x.Held() ? Role::Waiting : Role::Running;
}

// A resting body touched by a body that deforms in another contact and already moves away from it
// has nothing to answer: it stays still, and the contact waits for the other body. Run at once, the
// contact would end the moment it began and be found again at every probe while the two part.
void Leave_Resting_Still_If_Parting(Collision& c) {
    if (c.Closing_Speed() > 0.0) {
        return;
    }
    for (auto [x, other] : {std::pair{c.body_a, c.body_b}, {c.body_b, c.body_a}}) {
        Response& r = c.Response_Of(*x);
        if (x->state.mode == SimMode::Resting && r.role == Role::Running &&
            c.Response_Of(*other).role == Role::Waiting) {
            r.role = Role::Still;
        }
    }
}

// A contact that only waited, whose bodies have come apart since it was found (further than the
// searches leave bodies that only touch) and move apart, has nothing left to answer: the pair is
// left to the detection, like any pair apart. Taken over, it pulled the body back to touching the
// other, however far it had gone: the game's ball, flying up and away from the paddle at 11 units
// a second after a wall contact, was taken 1.9 units back down to the paddle in one tick; two boxes
// leaving a box at rest started a contact with it each that ended the moment it began (rooms of 64
// balls: 4 starts a second on it). One whose bodies close in, or keep their distance, still takes
// over (a ball resting on the floor, run into from above, bounces off the floor as soon as its
// meeting ends): dropped where bodies stopped dead in their contacts kept their distance, the
// rooms of 32 flat bodies (1/x/0.1/0) sank into one another four times as often. Unless one of
// them rests: a body stopped dead beside a body at rest, apart from it, was only pulled to it to
// start a contact against it (rooms of 8 flat bodies: 4 starts a second on a body at rest).
bool Parted_While_Waiting(Collision& c) {
    if (c.Running() || Query_Pair(c) || c.distance <= kTouchingSlack) {
        return false;
    }
    const bool at_rest =
        c.body_a->state.mode == SimMode::Resting || c.body_b->state.mode == SimMode::Resting;
    const double closing = c.Closing_Speed();
    return closing < 0.0 || (closing == 0.0 && at_rest);
}

// X's newest contact that waits for X, or null.
Collision* Newest_Waiting(const SimObject& x) {
    for (Collision* c : x.collisions) {
        if (c->Response_Of(x).role == Role::Waiting) {
            return c;
        }
    }
    return nullptr;
}

// A body let go while its partner still deforms flies on, and the pair is not searched; if it
// comes back into the partner (thrown back by a wall), the contact starts again for it.
bool Comes_Back(Collision& c) {
    const bool let_go = c.response_a.role == Role::Done || c.response_b.role == Role::Done;
    return let_go && Touches_Keeping_Witness(c);
}

// A free body moved as a partner, or a free or resting one parted from another, keeps the place
// it was moved to, or it would be drawn and checked where it no longer is. Only the place: its
// velocity is the committed one (at a contact's start, the one the start gave it, which its tried
// state does not know).
void Keep_Tried_Place(SimObject& x) {
    if (x.state.mode == SimMode::Free || x.state.mode == SimMode::Resting) {
        x.state.position = x.new_state.position;
    }
}

}  // namespace

void Tovrel::Add_Object(SimObject* body, bool make_active) {
    if (body->sim_index != -1) {
        std::fprintf(stderr, "Tovrel::Add_Object: Object %s already in\n", body->name);
        return;
    }
    if (time >= 0.0) {
        std::fprintf(stderr, "Tovrel::Add_Object: Cannot add object %s after sim has started\n",
                     body->name);
        return;
    }
    // A pair's key holds each index in 16 bits: beyond, two pairs would share a key in the
    // contacts, and one would pass for the other.
    if (objects.size() >= kMaxBodies) {
        std::fprintf(stderr, "Tovrel::Add_Object: Cannot add object %s: at most %zu bodies\n",
                     body->name, kMaxBodies);
        return;
    }
    body->Set_Sim_Index(static_cast<int>(objects.size()));
    objects.push_back(body);
    if (make_active) {
        active_objects.push_back(body);
    }
}

void Tovrel::Deactivate_Object(SimObject* body) {
    auto found = std::find_if(active_objects.begin(), active_objects.end(),
                              [&](const SimObject* b) { return b->sim_index == body->sim_index; });
    if (found != active_objects.end()) {
        active_objects.erase(found);
    }
}

void Tovrel::Activate_Object(SimObject* body) {
    const int i = body->sim_index;
    if (i < 0 || i >= static_cast<int>(objects.size()) || objects[i] != body) {
        std::fprintf(stderr, "Tovrel::Activate_Object: Object %s not in sim\n", body->name);
        return;
    }
    const bool active =
        std::any_of(active_objects.begin(), active_objects.end(),
                    [&](const SimObject* b) { return b->sim_index == body->sim_index; });
    if (!active) {
        active_objects.push_back(body);
    }
}

bool Tovrel::Reset() {
    for (SimObject* body : objects) {
        body->Reset(gravity);
    }
    contacts.clear();
    contact_queue.Clear();
    // The closest features carry over, to start the next queries beside their answers; the last
    // separation does not describe the bodies put back, so no contact may go by its normal.
    pair_table.For_Each([](Collision& c) {
        c.normal = Vector3d();
        c.rebuilt_for = -1.0;
    });
    near_records_.clear();
    asked_records_.clear();
    time = 0.0;
    return true;
}

bool Tovrel::Step(double dt) {
    const double target = time + dt;
    if (time < 0.0) {
        std::fprintf(stderr, "Simulator not initialized\n");
        return false;
    }
    reach_ = dt;
    broad_phase_.Check_Placements();
    Wake_Unsupported();
    while (time < target) {
        std::vector<Collision*> found;
        const bool ending = !contact_queue.Empty() && contact_queue.Top()->End() < target;
        const double next = ending ? contact_queue.Top()->End() : target;
        if (ending) {
            met_.assign({contact_queue.Top()->body_a, contact_queue.Top()->body_b});
            scope_.Take_Around(met_, next, contacts, objects.size());
        } else {
            scope_.Take_All(next);
        }
        const int met = Advance_To_Event(next, found);
        scope_.Forget_Rebuilds(contacts);
        if (met > 0) {
            Process_New_Collisions(found);
        } else if (ending) {
            End_Contact();
        }
    }
    Part_Sunk_At_Step_End();
    return true;
}

// Each part of a pass keeps its own bodies apart, and a later part can sink a body back into one
// an earlier part has parted it from (two contacts carrying a body between them), while a contact
// found at the step's very end has had no pass at all. The end of a step is what is drawn and
// what the next starts from: pairs left sunk there are parted, and the bodies moved keep their new
// places. Pairs in contact and pairs only near (by their grown boxes at the last pass, or where a
// body carried beyond its box now lies) alike: a near pair sunk now has met too late in the step
// to be found, and parted, it is found again by the next step's bisection on its way in. In rounds,
// since parting one pair may sink a body into a third. Sixty-four part all but the rarest jams: in
// rooms of 16 bouncing balls, four rounds left 18 overlaps in 15 rooms of two minutes, sixteen 4;
// in five crowded rooms of 64 bodies, sixteen left 18 and sixty-four none, in the same time, as the
// jams that need them are few. A jam that pairwise parting never resolves costs sixty-four passes
// over the contacts and near pairs, and is left to the contacts, as the rounds left it where they
// left it least sunk: they push a body wedged among others back and forth, and the last of them
// left it wherever that happened to be (rooms of 32 flat bodies without bounce, forty seeds: 374
// overlaps deeper than 0.01, the deepest 0.53; left where least sunk, 322 and 0.41). Only rounds
// past the first few are measured: most steps part all their pairs in one or two.
template <typename Visit>
void Tovrel::Each_Step_End_Pair(Visit visit) {
    for (auto& [key, c] : contacts) {
        visit(*c);
    }
    for (Collision* c : near_records_) {
        if (!In_Contact(*c)) {
            visit(*c);
        }
    }
}

void Tovrel::Part_Sunk_At_Step_End() {
    constexpr int kRounds = 64;
    constexpr int kRoundsBeforeJam = 8;
    auto part = [this](Collision& c) {
        // The lists of the bodies around them, which their moves must not carry them into, were
        // made where the last rebuild tried them, if at all: both are made afresh.
        if (!Parts_When_Sunk(c) || !Touches_Keeping_Witness(c)) {
            return false;
        }
        Find_Within_Reach(*c.body_a);
        Find_Within_Reach(*c.body_b);
        // The record's normal is its contact's, or that of its last query that found the pair
        // apart: in a crowd it may be many steps old (a free box sunk 0.4 into a resting ball,
        // in a room of 64 bodies, held one 30 degrees off that of their last query), and parting
        // along it is the long way round. Where their faces show a way shorter by more than
        // kShorterWay, they part that way; the record keeps its own normal, its contact's.
        const Vector3d normal = c.normal;
        if (!normal.Vanishes()) {
            const WorldShape shape_a(*c.body_a->polyhedron, c.body_a->new_state);
            const WorldShape shape_b(*c.body_b->polyhedron, c.body_b->new_state);
            c.normal = shape_a.Shortest_Way_Apart(shape_b, normal, kShorterWay);
        }
        Part_Sunk_Pair(c);
        c.normal = normal;
        Keep_Tried_Place(*c.body_a);
        Keep_Tried_Place(*c.body_b);
        return true;
    };
    near_records_.clear();
    for (const auto& [a, b] : broad_phase_.Yielding_Pairs_Grown(objects)) {
        near_records_.push_back(&pair_table.Record_Of(*objects[a], *objects[b]));
    }
    // A parting's search may carry a body a long way (out along a body it lies against), into a
    // free one that gives way to it: 0.13 into a box that no pair of the pass had near it.
    auto take_where_carried = [this] {
        for (int index : broad_phase_.Yielding_Beyond_Grown(objects)) {
            SimObject& moved = *objects[index];
            broad_phase_.Bodies_Within(moved, 0.0, false, near_indexes_);
            for (int other : near_indexes_) {
                if (!objects[other]->Gives_Way()) {
                    continue;
                }
                Collision* r = &pair_table.Record_Of(moved, *objects[other]);
                if (std::find(near_records_.begin(), near_records_.end(), r) ==
                    near_records_.end()) {
                    near_records_.push_back(r);
                }
            }
        }
    };
    double least = std::numeric_limits<double>::infinity();
    for (int round = 0; round < kRounds; ++round) {
        take_where_carried();
        if (round >= kRoundsBeforeJam) {
            const double depth = Deepest_Sunk_Pair();
            if (depth < least) {
                least = depth;
                least_at_.clear();
                for (SimObject* body : active_objects) {
                    least_at_.push_back(body->new_state.position);
                }
            }
        }
        bool any = false;
        Each_Step_End_Pair([&](Collision& c) { any |= part(c); });
        if (!any) {
            return;
        }
    }
    if (!(Deepest_Sunk_Pair() > least)) {
        return;
    }
    std::size_t i = 0;
    for (SimObject* body : active_objects) {
        body->new_state.position = least_at_[i++];
        Keep_Tried_Place(*body);
    }
}

double Tovrel::Deepest_Sunk_Pair() {
    double deepest = 0.0;
    auto measure = [&](Collision& c) {
        if (Parts_When_Sunk(c) && Touches_Keeping_Witness(c)) {
            const WorldShape a(*c.body_a->polyhedron, c.body_a->new_state);
            const WorldShape b(*c.body_b->polyhedron, c.body_b->new_state);
            deepest = std::max(deepest, a.Penetration_Depth(b, kTouchingSlack));
        }
    };
    Each_Step_End_Pair(measure);
    return deepest;
}

void Tovrel::Advance_All(double t) {
    advancing_.clear();
    for (auto& [key, c] : contacts) {
        if (scope_.Rebuilds(*c)) {
            advancing_.push_back(c);
        }
    }
    for (SimObject* body : active_objects) {
        body->Advance_To(t, gravity);
    }
    Rebuild(t, advancing_);
    for (Collision* c : advancing_) {
        c->rebuilt_for = t;
    }
}

void Tovrel::Advance_Around(double t, const std::vector<Collision*>& found) {
    in_found_.assign(objects.size(), false);
    for (const Collision* c : found) {
        // The other contacts of a wall have no bearing on whether the pair touches.
        in_found_[c->body_a->sim_index] = in_found_[c->body_a->sim_index] || c->body_a->Gives_Way();
        in_found_[c->body_b->sim_index] = in_found_[c->body_b->sim_index] || c->body_b->Gives_Way();
    }
    advancing_.clear();
    for (auto& [key, c] : contacts) {
        if (in_found_[c->body_a->sim_index] || in_found_[c->body_b->sim_index]) {
            advancing_.push_back(c);
            c->rebuilt_for = -1.0;
            for (SimObject* partner : {c->body_a, c->body_b}) {
                if (!in_found_[partner->sim_index] && partner->Held()) {
                    Start_From_Before_Bisection(*partner);
                }
            }
        }
    }
    for (SimObject* body : active_objects) {
        if (in_found_[body->sim_index] || !body->Gives_Way() || !body->collisions.empty()) {
            body->Advance_To(t, gravity);
        }
    }
    Rebuild(t, advancing_);
}

void Tovrel::Start_From_Before_Bisection(SimObject& partner) {
    for (const auto& [body, before] : before_bisection_) {
        if (body == &partner) {
            partner.new_state = before;
            return;
        }
    }
    before_bisection_.push_back({&partner, partner.new_state});
}

void Tovrel::Rebuild(double t, const std::vector<Collision*>& moving) {
    tried_at_.clear();
    for (Collision* c : moving) {
        tried_at_.push_back({c->body_a->new_state.position, c->body_b->new_state.position});
        Deform(*c, t);
    }
    ++rebuild_;
    for (Collision* c : moving) {
        Take_Back_Carry_Through_Within_Reach(*c);
    }
    kept_at_.clear();
    for (Collision* c : moving) {
        Keep_Touching(*c, gravity);
        kept_at_.push_back({c->body_a->new_state.position, c->body_b->new_state.position});
    }
    for (Collision* c : moving) {
        Part_If_Sunk(*c);
    }
    Touch_Again_Where_Moved(moving);
    auto moved_undeformed = [](const SimObject& x, const Vector3d& tried_at) {
        return x.new_state.position != tried_at && x.Only_Carried();
    };
    std::size_t i = 0;
    for (Collision* c : moving) {
        const auto& [a_at, b_at] = tried_at_[i++];
        c->moved_undeformed =
            moved_undeformed(*c->body_a, a_at) || moved_undeformed(*c->body_b, b_at);
    }
}

// A contact kept touching early in the pass may have a body moved by a later one (carried along
// by a body squashing onto it, or parted from a third): it is kept touching once more, and two
// bodies sunk into each other since are parted again. Once: a second round settles most, and
// further rounds chase each other round a pile without end.
void Tovrel::Touch_Again_Where_Moved(const std::vector<Collision*>& moving) {
    bool any = false;
    std::size_t i = 0;
    for (Collision* c : moving) {
        const auto& [a_at, b_at] = kept_at_[i++];
        if (c->body_a->new_state.position != a_at || c->body_b->new_state.position != b_at) {
            Keep_Touching(*c, gravity);
            any = true;
        }
    }
    if (!any) {
        return;
    }
    for (Collision* c : moving) {
        Part_If_Sunk(*c);
    }
}

int Tovrel::Narrow_Found(std::vector<Collision*>& found) {
    still_found_.clear();
    for (Collision* c : found) {
        if (Collides_Now(*c, In_Contact(*c))) {
            still_found_.push_back(c);
        }
    }
    if (still_found_.empty()) {
        return 0;
    }
    found.swap(still_found_);
    return static_cast<int>(found.size());
}

bool Tovrel::Collides_Now(Collision& c, bool in_contact) {
    return in_contact ? Comes_Back(c) : Query_Pair(c);
}

bool Tovrel::Passed_Over(const Collision& c, const Matrix4d* placed_a,
                         const Matrix4d* placed_b) const {
    return placed_a != nullptr && placed_b != nullptr && Still_Apart(c, *placed_a, *placed_b);
}

int Tovrel::Find_New_Collisions(std::vector<Collision*>& found) {
    int count = 0;
    asked_records_.clear();
    first_entry_ = std::numeric_limits<double>::infinity();
    // Nothing moves during the pass: the transform of each body that gives way is fetched once,
    // not once a pair (the others' are never needed, and a room may hold thousands of blocks).
    placed_.clear();
    for (const SimObject* body : active_objects) {
        placed_.push_back(body->Gives_Way() ? &body->Tentative_Transform() : nullptr);
    }
    for (const NearPair& near : broad_phase_.Near_Pairs(active_objects, reach_)) {
        SimObject* first = active_objects[near.first];
        Collision* c = &pair_table.Record_Of(*first, *active_objects[near.second]);
        if (scope_.Lags(*c->body_a) || scope_.Lags(*c->body_b)) {
            continue;
        }
        const bool in_contact = In_Contact(*c);
        const bool a_first = c->body_a == first;
        const Matrix4d* placed_a = placed_[a_first ? near.first : near.second];
        const Matrix4d* placed_b = placed_[a_first ? near.second : near.first];
        if (!in_contact && Passed_Over(*c, placed_a, placed_b)) {
            continue;
        }
        asked_records_.push_back(c);
        bool met = Collides_Now(*c, in_contact);
        if (!met && !in_contact) {
            if (const std::optional<double> entered = Centre_Entered(*c)) {
                first_entry_ = std::min(first_entry_, *entered);
                met = true;
            }
        }
        if (met) {
            if (count == 0) {
                found.clear();
            }
            found.push_back(c);
            ++count;
        }
    }
    return count;
}

int Tovrel::Advance_To_Event(double t, std::vector<Collision*>& found) {
    Advance_All(t);
    // A contact that ends the moment it starts (bodies already moving apart) may leave them
    // touching still. Searched again at that same moment, it would be found again, and with a
    // second contact waiting the two would take turns for ever without the clock moving: new
    // contacts are only looked for once time has passed.
    if (t > time && Find_New_Collisions(found) > 0) {
        // Interpenetration at t: bisect back to the first contact. The clock moves forward with
        // the bisection, but nothing is committed until the final probe, so every probe rebuilds
        // the tentative states from the last committed ones. The probes ask only the pairs found
        // colliding at t, and rebuild only what those pairs' bodies touch: they narrow down when
        // those contacts began. A pair that touched and parted again before t (a graze of under a
        // step) is not seen, as the pass at t alone would not have seen it. The final probe
        // rebuilds everything of its scope for the time chosen, the new contacts' groups too.
        double hi = t;
        before_bisection_.clear();
        // A body that crossed into a fixed one since the last probe touches it where its centre
        // entered: the bisection starts from there, as it might probe nowhere between.
        if (first_entry_ < t) {
            Advance_Around(first_entry_, found);
            if (Narrow_Found(found) > 0) {
                hi = first_entry_;
            }
        }
        while (hi - time > kContactTimePrecision) {
            const double mid = (hi + time) * 0.5;
            Advance_Around(mid, found);
            if (Narrow_Found(found) > 0) {
                hi = mid;
            } else {
                time = mid;
            }
        }
        met_.clear();
        for (const Collision* c : found) {
            met_.push_back(c->body_a);
            met_.push_back(c->body_b);
        }
        // Short of the step's target time, a probe that took everything need not: what it
        // rebuilds and commits is the new contacts' groups, and the target is tried again.
        if (hi < t && scope_.Takes_All()) {
            scope_.Take_Around(met_, hi, contacts, objects.size());
        } else {
            scope_.Add(met_, hi, contacts);
        }
        t = hi;
        Advance_All(t);
    }
    time = t;
    for (SimObject* body : active_objects) {
        if (!scope_.Lags(*body)) {
            body->Commit();
        }
    }
    return static_cast<int>(found.size());
}

void Tovrel::Process_New_Collisions(const std::vector<Collision*>& found) {
    for (Collision* c : found) {
        if (In_Contact(*c)) {
            Rejoin(c);
            continue;
        }
        Give_Direction_If_Unknown(*c);
        contacts[Pair_Key(*c)] = c;
        c->response_a.role = Starting_Role(*c->body_a);
        c->response_b.role = Starting_Role(*c->body_b);
        Leave_Resting_Still_If_Parting(*c);
        c->body_a->Add_Collision(c);
        c->body_b->Add_Collision(c);
        if (c->Running()) {
            if (on_collision != nullptr) {
                on_collision(c, on_collision_user);
            }
            Find_Leans(*c);
            Start_Response(*c, time, gravity);
            Queue_If_Running(c);
            Touch_From_Start(*c);
        }
    }
}

// The bisection leaves a new contact's bodies sunk into each other by up to its last probe's
// travel: a millisecond of a fast body's flight, more than a hundredth. The bodies that deform in
// it are kept touching from the start rather than from the next probe. A free partner that does
// not deform in it may have been carried along, and keeps that place.
void Tovrel::Touch_From_Start(Collision& c) {
    Deform(c, time);
    ++rebuild_;
    Take_Back_Carry_Through_Within_Reach(c);
    Keep_Touching(c, gravity);
    for (SimObject* body : {c.body_a, c.body_b}) {
        if (c.Deforms(*body)) {
            body->Commit();
        } else {
            Keep_Tried_Place(*body);
        }
    }
}

void Tovrel::Rejoin(Collision* c) {
    for (SimObject* body : {c->body_a, c->body_b}) {
        Response& r = c->Response_Of(*body);
        if (r.role != Role::Done) {
            continue;
        }
        r.role = Starting_Role(*body);
        if (r.role == Role::Running) {
            contact_queue.Remove(c);
            Find_Leans(*c);
            Take_Over(*c, *body, time, gravity);
            Queue_If_Running(c);
        }
    }
}

void Tovrel::Queue_If_Running(Collision* c) {
    if (!c->Running()) {
        return;
    }
    // A body deforms on one timetable at a time: its other contacts wait, whatever the input.
    for (const SimObject* body : {c->body_a, c->body_b}) {
        const auto running = std::count_if(body->collisions.begin(), body->collisions.end(),
                                           [&](const Collision* k) { return k->Deforms(*body); });
        if (running > 1) {
            Broken_Invariant("Tovrel::Process_New_Collisions: Secondary twice\n");
        }
    }
    contact_queue.Push(c);
}

void Tovrel::End_Contact() {
    Collision* c = contact_queue.Top();
    contact_queue.Pop();
    std::vector<SimObject*> finished;
    for (SimObject* body : {c->body_a, c->body_b}) {
        Response& r = c->Response_Of(*body);
        if (r.role == Role::Running && r.timetable.End() <= time) {
            r.role = Role::Done;
            finished.push_back(body);
        }
    }
    const bool over = !c->Running();
    if (over && on_separation != nullptr) {
        on_separation(c, on_separation_user);
    }
    Find_Leans(*c);
    for (SimObject* body : finished) {
        if (Comes_To_Rest(*c, *body, gravity) && !Sunk_Into_Any(*body)) {
            Settle(*body, c->Other(*body), Also_Leans_On(*c, *body, gravity));
        }
    }
    if (over) {
        // A contact goes by the normal and point of its pair's last separated query. The push-out
        // leaves the bodies just apart, so their separation now is asked for and kept: a next
        // contact of the pair, found a moment later with the bodies never apart at any probe
        // between (a paddle catching up with the ball), would otherwise go by where they met
        // before, perhaps far away, and push the ball out along a way that no longer leads out
        // of the other body the short way (through the paddle's end, into a wall).
        Query_Pair(*c);
        Drop_Contact(*c);
    } else {
        contact_queue.Push(c);
    }
    for (SimObject* body : finished) {
        Take_Up_Waiting(*body);
    }
}

void Tovrel::Drop_Contact(Collision& c) {
    contacts.erase(Pair_Key(c));
    c.body_a->Remove_Collision(&c);
    c.body_b->Remove_Collision(&c);
}

// One that takes over may leave the body free again at once (it settles on a resting body
// instead), and then the next one does, until the body deforms or none waits.
void Tovrel::Take_Up_Waiting(SimObject& body) {
    Collision* next = nullptr;
    while (!body.Held() && (next = Newest_Waiting(body)) != nullptr) {
        if (Parted_While_Waiting(*next)) {
            Drop_Contact(*next);
            continue;
        }
        if (next->Running()) {
            contact_queue.Remove(next);
        } else if (on_collision != nullptr) {
            on_collision(next, on_collision_user);
        }
        Find_Leans(*next);
        Take_Over(*next, body, time, gravity);
        Queue_If_Running(next);
    }
}

void Tovrel::Take_Back_Carry_Through_Within_Reach(Collision& c) {
    Find_Within_Reach(c);
    Take_Back_Carry_Through(c);
    Find_Within_Reach(c);
}

void Tovrel::Find_Within_Reach(Collision& c) {
    for (SimObject* body : {c.body_a, c.body_b}) {
        if (!c.Deforms(*body) && body->state.mode != SimMode::Free) {
            continue;
        }
        const std::size_t i = static_cast<std::size_t>(body->sim_index);
        if (i >= found_around_.size()) {
            found_around_.resize(objects.size(), {-1, Vector3d()});
        }
        auto& [rebuild, at] = found_around_[i];
        if (rebuild != rebuild_ || at != body->new_state.position) {
            Find_Within_Reach(*body);
            found_around_[i] = {rebuild_, body->new_state.position};
        }
    }
}

template <typename Keep>
double Tovrel::Records_Within(SimObject& x, bool unyielding_only, Keep keep,
                              std::vector<Collision*>& records) {
    records.clear();
    const double reach =
        std::max(kSqueezeReach * x.half_extent, (x.new_state.position - x.state.position).Length());
    broad_phase_.Bodies_Within(x, reach, unyielding_only, near_indexes_);
    for (int index : near_indexes_) {
        if (!keep(*objects[index])) {
            continue;
        }
        Collision& r = pair_table.Record_Of(x, *objects[index]);
        if (!In_Contact(r)) {
            records.push_back(&r);
        }
    }
    return reach;
}

void Tovrel::Find_Within_Reach(SimObject& body) {
    // The bodies that never give way are sieved out by the broad phase; a body at rest stops at
    // the others at rest too.
    body.reach_radius = Records_Within(
        body, body.state.mode != SimMode::Resting,
        [&body](const SimObject& other) { return body.Stops_At(other); }, body.within_reach);
    body.reach_centre = body.new_state.position;
}

bool Tovrel::Sunk_Into_Any(SimObject& x) {
    auto sunk = [&x](Collision* r) { return !r->Other(x).Flies() && Touches_Keeping_Witness(*r); };
    // Asked of X shrunk about its centre by kTouchingSlack, short of what it only touches.
    return x.Asked_Scaled(1.0 - kTouchingSlack / x.half_extent, [&] {
        if (std::any_of(x.collisions.begin(), x.collisions.end(), sunk)) {
            return true;
        }
        Records_Within(
            x, false, [](const SimObject& other) { return !other.Flies(); }, around_);
        return std::any_of(around_.begin(), around_.end(), sunk);
    });
}

// A body at rest deforms no more: what waited on it is over, unless the other body deforms in
// it, and then it stays still in it. A pair still touching is found again if it can do anything.
void Tovrel::Settle(SimObject& body, SimObject& support, const SimObject* leans_on) {
    body.state.mode = SimMode::Resting;
    body.state.velocity = Vector3d();
    body.support = &support;
    body.leans_on = leans_on;
    const std::list<Collision*> contacts_of_body = body.collisions;
    for (Collision* k : contacts_of_body) {
        Response& r = k->Response_Of(body);
        if (r.role != Role::Waiting) {
            continue;
        }
        r.role = Role::Still;
        if (!k->Running()) {
            Query_Pair(*k);
            Drop_Contact(*k);
        }
    }
}

void Tovrel::Wake_Unsupported() {
    auto gone = [this](const SimObject* holder) {
        return holder != nullptr && (holder->state.mode == SimMode::Free ||
                                     std::find(active_objects.begin(), active_objects.end(),
                                               holder) == active_objects.end());
    };
    for (SimObject* body : active_objects) {
        if (body->state.mode == SimMode::Resting && (gone(body->support) || gone(body->leans_on))) {
            body->state.mode = SimMode::Free;
            body->state.time = time;
            body->support = nullptr;
            body->leans_on = nullptr;
        }
    }
}

void Tovrel::Find_Leans(Collision& c) {
    for (SimObject* x : {c.body_a, c.body_b}) {
        Response& r = c.Response_Of(*x);
        r.lean_body = nullptr;
        r.lean = Vector3d();
        if (x->state.mode != SimMode::Free || !(x->state.velocity.Length() < kRestSpeed) ||
            gravity.Vanishes()) {
            continue;
        }
        const SimObject& met = c.Other(*x);
        Records_Within(
            *x, false, [&](const SimObject& other) { return !other.Flies() && &other != &met; },
            around_);
        for (Collision* k : x->collisions) {
            if (k != &c && !k->Other(*x).Flies()) {
                around_.push_back(k);
            }
        }
        for (Collision* k : around_) {
            const std::optional<Vector3d> n = Lies_Against(*k, *x);
            if (n && (r.lean_body == nullptr || Dot(*n, gravity) < Dot(r.lean, gravity))) {
                r.lean_body = &k->Other(*x);
                r.lean = *n;
            }
        }
    }
}
