#pragma once

// The timetable of a contact's squash and stretch, fixed when the contact becomes primary. From
// `start_time` the deforming body's scale along its stretch axis falls from `impact_stretch` to
// `squash_scale` along a quarter sine for `squash_time` seconds, then rises to `release_stretch`
// along a quarter cosine for `release_time` seconds. The curve is continuous; nothing asks for it
// past its end, since the simulator never tries a time beyond the end of its earliest contact.
// Times are seconds on the simulator's clock; a phase may take no time at all.
struct ContactTimetable {
    enum class Phase { Squash, Release };

    double start_time = 0.0;
    double squash_time = 0.0;
    double release_time = 0.0;
    double impact_stretch = 0.0;
    double squash_scale = 0.0;  // at the deepest squash
    double release_stretch = 0.0;

    // When the contact ends: the order of the contact queue.
    double End() const { return release_time + squash_time + start_time; }
    // The squash lasts up to and including its last instant.
    Phase Phase_At(double t) const {
        return t - start_time <= squash_time ? Phase::Squash : Phase::Release;
    }
    double Duration(Phase phase) const {
        return phase == Phase::Squash ? squash_time : release_time;
    }
    // The scale along the stretch axis at time t.
    double Scale_At(double t) const;
};
