#pragma once
// The two standard streams as ports: the Windows entry wraps the process's
// handles, tests wrap pipes or memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace winhelper {

class ByteInput {
 public:
  struct Chunk {
    std::size_t size = 0;  // 0 with no error: end of input
    bool failed = false;
    std::string error;  // description of a failed read
  };
  virtual ~ByteInput() = default;
  virtual Chunk read(char* buffer, std::size_t capacity) = 0;
};

class ByteOutput {
 public:
  virtual ~ByteOutput() = default;
  // Writes all bytes or reports false; callers ignore failures.
  virtual bool write(std::string_view bytes) = 0;
};

}  // namespace winhelper
