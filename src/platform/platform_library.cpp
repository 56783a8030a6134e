#include "platform/platform_library.h"

#include "platform/integration_kit_object.h"
#include "platform/login.h"
#include "platform/message_resource_object.h"
#include "platform/row_xml_mapper_object.h"
#include "platform/xml_document_object.h"
#include "wagelink_identities.h"

namespace platform {

namespace {

const com::GUID LIBID_Platform = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_PLATFORM_LIBID));

com::ComPtr<com::IUnknown> NewLogin() {
    return com::ComPtr<com::IUnknown>::Attach(CreateLogin().Detach());
}
com::ComPtr<com::IUnknown> NewXmlDocument() {
    return com::ComPtr<com::IUnknown>::Attach(CreateXmlDocument().Detach());
}
com::ComPtr<com::IUnknown> NewIntegrationKit() {
    return com::ComPtr<com::IUnknown>::Attach(CreateIntegrationKit().Detach());
}
com::ComPtr<com::IUnknown> NewRowXmlMapper() {
    return com::ComPtr<com::IUnknown>::Attach(CreateRowXmlMapper().Detach());
}
com::ComPtr<com::IUnknown> NewMessageResource() {
    return com::ComPtr<com::IUnknown>::Attach(CreateMessageResource().Detach());
}

const com::CreatableClass kCreatable[] = {
    {CLSID_Login, &NewLogin},
    {CLSID_XmlDocument, &NewXmlDocument},
    {CLSID_MessageResource, &NewMessageResource},
    {CLSID_IntegrationKit, &NewIntegrationKit},
    {CLSID_RowXmlMapper, &NewRowXmlMapper},
};

const com::ClassRegistration kClasses[] = {
    {CLSID_Login, kLoginProgId, "Login"},
    {CLSID_XmlDocument, kXmlDocumentProgId, "XmlDocument"},
    {CLSID_MessageResource, kMessageResourceProgId, "MessageResource"},
    {CLSID_IntegrationKit, kIntegrationKitProgId, "IntegrationKit"},
    {CLSID_RowXmlMapper, kRowXmlMapperProgId, "RowXmlMapper"},
};

// The interfaces its type library describes: registered with it, and only where they are free.
const com::IID kInterfaceIds[] = {
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_LOGIN)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_XML_DOCUMENT)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_MESSAGE_RESOURCE)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_INTEGRATION_KIT)),
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_ROW_XML_MAPPER)),
};
const com::InterfaceRegistration kInterfaces[] = {
    {kInterfaceIds[0], "_Login"},           {kInterfaceIds[1], "_XmlDocument"},
    {kInterfaceIds[2], "_MessageResource"}, {kInterfaceIds[3], "_IntegrationKit"},
    {kInterfaceIds[4], "_RowXmlMapper"},
};

const com::ServerRegistration kPlatform = {LIBID_Platform, "QzLogin",
                                           WAGELINK_TEXT_OF(WAGELINK_PLATFORM_LIBRARY_VERSION),
                                           kClasses, kInterfaces};

}  // namespace

std::span<const com::CreatableClass> PlatformClasses() {
    return kCreatable;
}

const com::ServerRegistration& PlatformIdentity() {
    return kPlatform;
}

}  // namespace platform
