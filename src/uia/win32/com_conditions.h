#pragma once
// The condition and cache request objects a session creates, and the COM
// objects under them for the calls that take them. Private to src/uia/win32/.

#include "uia/win32/com_calls.h"

namespace winhelper::uia::detail {

class ComCondition final : public Condition {
 public:
  ComPtr<IUIAutomationCondition> condition;
};

inline IUIAutomationCondition* com_condition(Condition& condition) {
  return static_cast<ComCondition&>(condition).condition.get();
}

class ComCacheRequest final : public CacheRequest {
 public:
  ComPtr<IUIAutomationCacheRequest> request;
};

inline IUIAutomationCacheRequest* com_request(CacheRequest& request) {
  return static_cast<ComCacheRequest&>(request).request.get();
}

}  // namespace winhelper::uia::detail
