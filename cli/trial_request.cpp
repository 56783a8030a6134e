#include "trial_request.h"

#include "base/fault.h"
#include "xml/document.h"

namespace cli {

std::string TrialRequest(const std::string& request) {
    xml::Document doc;
    xml::ParseResult parsed = doc.Load(request);
    if (parsed.status == xml::ParseStatus::kNotWellFormed ||
        parsed.status == xml::ParseStatus::kNoRootElement)
        return request;
    if (parsed.status != xml::ParseStatus::kOk)
        base::ThrowInvalidArgument("--validate-only cannot mark the request: " + parsed.reason);
    doc.Root().SetAttribute("mode", "validate");
    return doc.Xml();
}

}  // namespace cli
