#include "host/media/BackgroundWork.h"

#include <sched.h>

namespace host {

void markAsBackgroundWork() noexcept {
  sched_param normal{};
  sched_setscheduler(0, SCHED_BATCH, &normal);
}

}  // namespace host
