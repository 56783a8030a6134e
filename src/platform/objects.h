// The platform's COM objects, which the platform's own library (libwagelink-platform.so,
// wagelink-platform.dll) serves and hosts create by ProgID, as the platform's components are
// (their identities stand in src/wagelink_identities.h). Each Create function makes one in
// process; the library registers and unregisters its classes on its own, and the server library
// never registers them.
#pragma once

#include <span>

#include "com/class_factory.h"
#include "com/server_registration.h"
#include "com/unknown.h"

namespace platform {

// Login, the object the platform passes to Transact: the properties ConnectionString (text),
// LoginYear (text holding a whole number) and LoginMonth (16-bit integer), filled through
// IDispatch. The server reads it only by name, so any automation object with these properties
// can stand in for it.
com::ComPtr<com::IDispatch> CreateLogin();

// XmlDocument, so that a host can hand QueryProc its condition elements itself: it loads a
// request text (loadXML) and selects nodes (selectNodes, relative to the document). The node
// list it returns tells its `length` and hands out its items (`item(index)`, from 0); a node
// tells its `nodeName` and its `xml` text. Every object keeps its document alive.
com::ComPtr<com::IDispatch> CreateXmlDocument();

// IntegrationKit, with MakeReply, GetAttribute, GetFieldValue, AddResult and BeginReply, the
// first, third, fifth, sixth and eighth members of its interface. Nodes and the reply document
// are the DOM's own objects (platform/dom_node.h): on Windows MSXML's.
com::ComPtr<com::IDispatch> CreateIntegrationKit();

// RowXmlMapper, class identifier {DBC12D99-1A21-4C58-BDBB-FF0A9F24EF71}, interface
// {317D0864-1A0E-4758-8C8C-352812EBF213}, whose FillRecord(record, mapping name, recordset) writes
// the mapped columns of the recordset's current row into the record element. The record is a
// node of the system's DOM; the recordset any object read by name as ADO's is
// (`Fields.Item(column).Value`), such as the server's face of its rows
// (platform/recordset_object.h).
com::ComPtr<com::IDispatch> CreateRowXmlMapper();

// MessageResource, whose LoadMessage(id, substitute, arguments), the fourth member of its
// interface, returns the text of a message identifier; `arguments` is an array of VARIANT (lower
// bound 0, by reference) whose missing-argument markers read as the empty text. The catalog of
// WAGELINK_LANG is loaded when the object is made: a language without one fails the creation.
com::ComPtr<com::IDispatch> CreateMessageResource();

// The library's classes and its registration.
std::span<const com::CreatableClass> PlatformClasses();
const com::ServerRegistration& PlatformIdentity();

}  // namespace platform
