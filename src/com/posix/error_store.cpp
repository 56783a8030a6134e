// Without a system error info, the thread's own (com/error_info.cpp) is all there is: the COM
// runtime library that holds it is shared by a server and its host.
#include "com/error_info.h"

namespace com {

void PublishErrorInfo(const ErrorInfo*) noexcept {}

}  // namespace com
