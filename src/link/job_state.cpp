#include "link/job_state.h"

namespace zr740 {
namespace {

std::vector<EventSet::Reset> job_event_kinds()
{
    std::vector<EventSet::Reset> kinds(job_events::job_count + 1, EventSet::Reset::manual);
    // Writing one parameter is the only job whose event resets itself.
    kinds[job_events::write_one] = EventSet::Reset::automatic;
    return kinds;
}

} // namespace

JobState::JobState() : events(job_event_kinds()) {}

} // namespace zr740
