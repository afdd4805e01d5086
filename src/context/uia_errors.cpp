#include "context/uia_errors.h"

#include "context/refs.h"

namespace winhelper {

HelperError uia_protocol_error(const uia::UiaError& error) {
  switch (error.kind) {
    case uia::UiaErrorKind::Stale:
      return stale_ref_error();
    case uia::UiaErrorKind::Unavailable:
    case uia::UiaErrorKind::Timeout:
    case uia::UiaErrorKind::ProviderFailure:
      return internal_error(error.message);
  }
  return internal_error(error.message);
}

}  // namespace winhelper
