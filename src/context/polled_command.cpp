#include "context/polled_command.h"

namespace winhelper {

Result<Json> poll_to_answer(PolledStart started, CommandContext& ctx) {
  if (!started) return started.take_error();
  std::unique_ptr<PolledCommand> command = std::move(started).value();
  for (;;) {
    PollStep step = command->poll(ctx);
    if (step.answer) return std::move(*step.answer);
    ctx.platform.clock.sleep_ms(step.again_in_ms);
  }
}

}  // namespace winhelper
