#pragma once

#include <limits>
#include <list>
#include <memory>
#include <vector>

#include "collision/body_pair_query.h"
#include "geometry/polyhedron.h"
#include "math/matrix4d.h"
#include "sim/sim_state.h"

struct Collision;

// The simulated half of every body. The simulator drives it through a fixed protocol: try a time
// (Advance_To builds `new_state`), look for collisions, then either keep the tried state (Commit)
// or try an earlier time, which rebuilds `new_state` from the committed `state` again, so nothing
// ever needs undoing. The cartoon response writes `new_state` of bodies in contact directly.
//
// There is no angular velocity: a free body's orientation is turned after every ballistic step so
// that its local x axis lies along its motion, and it is stretched along that axis the more the
// faster it flies.
class SimObject {
public:
    explicit SimObject(const char* name);
    virtual ~SimObject();

    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    // Called by the simulator when the body is added; a second call is refused with a message.
    void Set_Sim_Index(int index);

    // Back to `initial_state`, re-oriented along its motion if free, with no contacts.
    void Reset(const Vector3d& gravity);

    // Ballistic step of `dt` seconds from `state` into `new_state` (only Free bodies move).
    void Integrate(double dt, const Vector3d& gravity);

    // Prepares `new_state` for time t. A body deforming in a contact is left to the contact update.
    void Advance_To(double t, const Vector3d& gravity);

    // Keeps the tried state; Resting and Fixed bodies keep theirs.
    void Commit();

    // Records a contact (newest first) on Free and Resting bodies only.
    void Add_Collision(Collision* c);

    // Forgets a contact; returns whether others remain. Losing track of one is a broken
    // invariant: the message is printed and the program aborts.
    bool Remove_Collision(Collision* c);

    // The body's state at time t; this base version holds still. Driven bodies override it.
    virtual void Get_State_At(double t, const Vector3d& gravity, SimState& out);

    void Compute_Half_Extent();

    // Whether contacts can deform and move it (Free or Resting), and so keep track of it: Fixed and
    // Driven bodies never give way.
    bool Gives_Way() const { return state.mode == SimMode::Free || state.mode == SimMode::Resting; }
    // Whether the body deforms in one of its contacts now, held by its timetable.
    bool Held() const;
    // Whether it gives way but deforms in no contact: it flies or rests, and its contacts only
    // carry it along or let it go.
    bool Only_Carried() const { return Gives_Way() && !Held(); }
    // Whether it flies free under gravity (Free): the others stay where they are, as walls do, for
    // what runs into them.
    bool Flies() const { return state.mode == SimMode::Free; }
    // Whether a search that moves this body must stop at `other` rather than sink it in: `other`
    // never gives way, or both are at rest, a pair that no detection pass looks at, so that
    // nothing would ever part them.
    bool Stops_At(const SimObject& other) const {
        return !other.Gives_Way() ||
               (state.mode == SimMode::Resting && other.state.mode == SimMode::Resting);
    }
    // The contact it deforms in now, or null.
    Collision* Running_Contact() const;

    // What `ask` answers with the body tried shrunk (or grown) about its centre by `factor`; its
    // tried shape is put back after. For questions about less than the whole body: its centre
    // alone, or what it sinks into beyond the few thousandths a search leaves.
    template <typename Ask>
    auto Asked_Scaled(double factor, Ask ask) {
        const Vector3d scale = new_state.scale;
        new_state.scale = scale * factor;
        const auto answer = ask();
        new_state.scale = scale;
        return answer;
    }

    // How far its shape reaches from its centre at its tentative state, at most: a sphere that
    // holds it, for passing over pairs far apart before the pair query.
    double Reach_At_Tentative_State() const;
    // How far its shape's farthest vertex lies from its centre, in body space. Inline: the gap
    // test asks it of both bodies of every near pair at every probe.
    double Shape_Reach() const {
        Measure_Shape();
        return reach_;
    }
    // How far it reaches from its centre against unit direction `u`, in its committed pose. The
    // answer for the last pose and direction asked is kept: a contact rebuilds its body from the
    // same committed pose at every probe until the body is committed again. The farthest vertex is
    // climbed to along the edges from the last one found: on a convex shape a vertex farther than
    // all its neighbours is the farthest of all. Where one of them comes within rounding of it,
    // every vertex is asked, so that the answer is always that of asking them all.
    double Reach_Against(const Vector3d& u) const;
    // The body-to-world transform of its tentative state, where the pair queries place its shape.
    // Worked out again only when that state's placement has changed since the last call: a body
    // is asked about with each of its neighbours in turn, where it stands.
    const Matrix4d& Tentative_Transform() const;
    // How far point p lies outside the box around its shape at its tentative state (the shape's
    // body-space box, turned and scaled as the shape is); 0 inside it. A lower bound of the
    // distance from p to the shape.
    double Box_Distance_At_Tentative_State(const Vector3d& p) const;

    // The volume of its shape at its own size (squash and stretch keep the volume): its mass, for
    // two free bodies that meet, up to a density that every body shares.
    double Volume() const;

    // Turns snapshot `s` so that its local x axis lies along its motion (against it while
    // !stretch_forward), or along gravity when it does not move, and stretches it for its speed.
    static void Orient_To_Motion(SimState& s, double max_stretch, double stretch_rate,
                                 const Vector3d& gravity);

    // 1 at rest, approaching max_stretch as the speed grows; stretch_rate says how fast.
    static double Stretch_Factor(double speed, double max_stretch, double stretch_rate);

    std::unique_ptr<Polyhedron> polyhedron;  // the shape in body space
    SimState initial_state;                  // what Reset returns to
    SimState new_state;                      // tentative state of the time being tried
    int sim_index = -1;                      // position in the simulator's list; -1 while not added
    std::list<Collision*> collisions;        // current contacts, newest first (Free/Resting only)
    // While it deforms or is in a contact free to be carried along, the records of its pairs with
    // the bodies around it that never give way (Fixed, Driven) and that it is not in contact with:
    // what the response's moves of it must not carry it into. A body that gives way, run into, is
    // found by the detection and met.
    std::vector<Collision*> within_reach;
    // Where and how far around within_reach was found: its searches keep its centre that close to
    // that place, as beyond it lie bodies they never looked at. Several searches in a row (out of
    // each of a dozen contacts in a heap) each went their own reach, and together carried a box
    // 2.9 units along the floor, into a wall beyond that reach, and on out of the room.
    Vector3d reach_centre;
    double reach_radius = std::numeric_limits<double>::infinity();
    double half_extent = 1.0;  // half the shape's extent along local x
    // What a Resting body came to rest on; it wakes when that leaves. Null for a body placed at
    // rest, which stays until something runs into it.
    SimObject* support = nullptr;
    // What it lies against besides its support where neither alone holds it up (a ball in the
    // groove between two others): it wakes when either leaves. Null where its support holds it.
    const SimObject* leans_on = nullptr;

    // The cartoon parameters.
    double max_squash = 1.0;    // "Max Squash": scale at the deepest squash of a full-speed impact
    double squash_rate = 1.0;   // speed factor of the squash and release phases
    double max_stretch = 1.0;   // "Max Stretch": stretch approached at very high speed
    double stretch_rate = 1.0;  // "Stretch Rate": how fast stretch grows with speed
    double restitution = 1.0;   // "Restitution": speed after a bounce over speed before

    SimState state;    // the committed state
    const char* name;  // display name, also used in messages; referred to, not copied

private:
    // Brings the shape's measures below up to date; inline, as most calls find them current.
    void Measure_Shape() const {
        if (measured_shape_ != polyhedron.get()) {
            Measure();
        }
    }
    void Measure() const;                                 // works them out
    mutable const Polyhedron* measured_shape_ = nullptr;  // the shape the three below are of
    mutable double reach_ = 0.0;                          // its farthest vertex from the origin
    mutable Vector3d box_low_;                            // its body-space box
    mutable Vector3d box_high_;
    mutable double volume_ = 0.0;  // at the body's own size
    // Reach_Against's last question and answer: shape, pose, direction; null before the first.
    mutable const Polyhedron* reached_shape_ = nullptr;
    mutable Quaternion reached_turn_;
    mutable Vector3d reached_scale_;
    mutable Vector3d reached_against_;
    mutable double reach_against_ = 0.0;
    mutable std::size_t reached_vertex_ = 0;  // that answer's vertex: the next climb starts there

    mutable BodyPose placed_;     // the placement of:
    mutable Matrix4d transform_;  // what Tentative_Transform last worked out
    mutable Quaternion turn_of_;  // the orientation of (both start as the identity):
    mutable Matrix4d turn_;       // its rotation, for the box test
    mutable bool transform_known_ = false;
};
