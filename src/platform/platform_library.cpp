#include "platform/objects.h"
#include "wagelink_identities.h"

namespace platform {

namespace {

const com::GUID LIBID_Platform = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_PLATFORM_LIBID));
const com::CLSID CLSID_Login = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_LOGIN));
const com::CLSID CLSID_XmlDocument = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_XML_DOCUMENT));
const com::CLSID CLSID_MessageResource =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_MESSAGE_RESOURCE));
const com::CLSID CLSID_IntegrationKit =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_INTEGRATION_KIT));
const com::CLSID CLSID_RowXmlMapper =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_ROW_XML_MAPPER));

// A class's object as the class factory hands it out.
template <com::ComPtr<com::IDispatch> (*Create)()>
com::ComPtr<com::IUnknown> New() {
    return com::ComPtr<com::IUnknown>::Attach(Create().Detach());
}

const com::CreatableClass kCreatable[] = {
    {CLSID_Login, &New<&CreateLogin>},
    {CLSID_XmlDocument, &New<&CreateXmlDocument>},
    {CLSID_MessageResource, &New<&CreateMessageResource>},
    {CLSID_IntegrationKit, &New<&CreateIntegrationKit>},
    {CLSID_RowXmlMapper, &New<&CreateRowXmlMapper>},
};

const com::ClassRegistration kClasses[] = {
    {CLSID_Login, WAGELINK_PROGID_LOGIN, "Login"},
    {CLSID_XmlDocument, WAGELINK_PROGID_XML_DOCUMENT, "XmlDocument"},
    {CLSID_MessageResource, WAGELINK_PROGID_MESSAGE_RESOURCE, "MessageResource"},
    {CLSID_IntegrationKit, WAGELINK_PROGID_INTEGRATION_KIT, "IntegrationKit"},
    {CLSID_RowXmlMapper, WAGELINK_PROGID_ROW_XML_MAPPER, "RowXmlMapper"},
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
