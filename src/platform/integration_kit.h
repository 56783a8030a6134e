// The integration kit in process: the server's own on Linux, and what the platform library's
// IntegrationKit object (platform/objects.h) answers with on either system.
#pragma once

#include "platform/components.h"

namespace platform {

class InProcessIntegrationKit final : public IntegrationKit {
  public:
    std::string MakeReply(std::string_view code, std::string_view message) const override;
    std::string GetAttribute(xml::Element node, std::string_view name) const override;
    std::string GetFieldValue(xml::Element record, std::string_view name) const override;
    void AddResult(xml::Document& reply, std::string_view key, long code,
                   std::string_view message) const override;
    std::string BeginReply(std::string_view docid, std::string_view proc) const override;

    // AddResult's work on the reply's root element, which is what the COM face is handed.
    void AddResultTo(xml::Element root, std::string_view key, long code,
                     std::string_view message) const;
};

}  // namespace platform
