#include "soundserver.h"

#ifdef PERNE_HAVE_PULSE
#include <pulse/context.h>
#include <pulse/mainloop.h>
#endif

namespace perne {

#ifdef PERNE_HAVE_PULSE

bool soundServerSettles(std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return false;
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "perne");
    bool settled = false;
    // The server is found the way Qt finds it: no name, so PULSE_SERVER, the configuration
    // and the usual socket, in libpulse's order.
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        settled = true; // refused at once
    } else if (context) {
        const Clock::time_point deadline = Clock::now() + limit;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                settled = true;
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            // One turn of the loop, its wait cut at the deadline.
            if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return settled;
}

#else

bool soundServerSettles(std::chrono::milliseconds)
{
    return true;
}

#endif

} // namespace perne
