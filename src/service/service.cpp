#include "service/service.h"

#include <condition_variable>
#include <deque>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "protocol/request_reader.h"
#include "protocol/response_writer.h"
#include "service/line_reader.h"

namespace winhelper {

void ResponseWriter::write(const Response& response) {
  std::string line = serialize_response(response);
  line.push_back('\n');
  std::lock_guard<std::mutex> hold(mutex_);
  (void)output_.write(line);
}

namespace {

// Unbounded first-in first-out request channel with one producer (the reader)
// and many consumers (the workers).
class RequestQueue {
 public:
  void push(Request request) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      items_.push_back(std::move(request));
    }
    ready_.notify_one();
  }
  void close() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      closed_ = true;
    }
    ready_.notify_all();
  }
  // Waits for the next request; false once the channel is closed and empty.
  bool pop(Request& out) {
    std::unique_lock<std::mutex> hold(mutex_);
    ready_.wait(hold, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return false;
    out = std::move(items_.front());
    items_.pop_front();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Request> items_;
  bool closed_ = false;
};

}  // namespace

void run_service(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher, int workers) {
  ResponseWriter writer(output);
  RequestQueue queue;

  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(workers));
  try {
    for (int i = 0; i < workers; ++i) {
      pool.emplace_back([&] {
        Request request;
        while (queue.pop(request)) writer.write(dispatcher.dispatch(request));
      });
    }
  } catch (const std::system_error&) {
    queue.close();
    for (std::thread& worker : pool) worker.join();
    throw std::runtime_error("failed to spawn thread");
  }

  LineReader reader(input);
  for (;;) {
    LineReader::Next next = reader.next();
    if (next.status == LineReader::Status::End) break;
    if (next.status == LineReader::Status::Error) {
      writer.write(Response::failure(
          "unknown", internal_error("Failed to read input line: " + next.error)));
      break;
    }
    ReadOutcome outcome = read_request(next.line);
    if (auto* request = std::get_if<Request>(&outcome)) {
      queue.push(std::move(*request));
    } else if (auto* rejected = std::get_if<RejectedLine>(&outcome)) {
      writer.write(Response::failure(rejected->id, rejected->error));
    }
  }

  queue.close();
  for (std::thread& worker : pool) worker.join();
}

}  // namespace winhelper
