#pragma once
// Standard input and output of the process as byte ports (binary: no CR is
// added or removed).

#include <windows.h>

#include "service/streams.h"

namespace winhelper {

class StdInput final : public ByteInput {
 public:
  StdInput();
  Chunk read(char* buffer, std::size_t capacity) override;

 private:
  HANDLE handle_;
};

class StdOutput final : public ByteOutput {
 public:
  StdOutput();
  bool write(std::string_view bytes) override;

 private:
  HANDLE handle_;
};

}  // namespace winhelper
