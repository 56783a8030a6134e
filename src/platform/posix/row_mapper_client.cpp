#include "platform/row_xml_mapper.h"

namespace platform {

std::unique_ptr<RowXmlMapper> NewRowXmlMapper() {
    return std::make_unique<RowXmlMapper>();
}

}  // namespace platform
