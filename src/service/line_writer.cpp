#include "service/line_writer.h"

#include "protocol/response_writer.h"

namespace winhelper {

void LineWriter::write_line(std::string line) {
  line.push_back('\n');
  std::lock_guard<std::mutex> hold(mutex_);
  (void)output_.write(line);
}

void LineWriter::write(const Response& response) {
  write_line(serialize_response(response));
}

}  // namespace winhelper
