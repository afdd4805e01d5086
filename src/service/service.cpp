#include "service/service.h"

#include "protocol/request_reader.h"
#include "service/line_reader.h"
#include "service/line_writer.h"
#include "service/scheduler.h"

namespace winhelper {

void run_service(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher, int workers) {
  LineWriter writer(output);
  Scheduler scheduler(workers, dispatcher.context().platform.clock);

  LineReader reader(input);
  for (;;) {
    LineReader::Next next = reader.next();
    if (next.status == LineReader::Status::End) break;
    if (next.status == LineReader::Status::Error) {
      writer.write(
          Response::failure("unknown", internal_error("Failed to read input line: " + next.error)));
      break;
    }
    ReadOutcome outcome = read_request(next.line);
    if (auto* request = std::get_if<Request>(&outcome)) {
      scheduler.submit([&dispatcher, &writer, &scheduler, request = std::move(*request)] {
        dispatcher.dispatch(request, {}, scheduler,
                            [&writer](Response response) { writer.write(response); });
      });
    } else if (auto* rejected = std::get_if<RejectedLine>(&outcome)) {
      writer.write(Response::failure(rejected->id, rejected->error));
    }
  }

  scheduler.close_and_join();
}

}  // namespace winhelper
