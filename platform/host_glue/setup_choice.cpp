#include "platform/host_glue/setup_choice.h"

namespace platform {
namespace {
SetupChoice& Choice() {
  static SetupChoice choice;
  return choice;
}
}  // namespace

void SetSetupChoice(const SetupChoice& choice) { Choice() = choice; }
const SetupChoice& GetSetupChoice() { return Choice(); }

}  // namespace platform
