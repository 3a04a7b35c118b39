// Parsed data files kept for reuse while the file on disk is unchanged, so that a door, a message or a menu
// step does not parse the same file again. An edited file is parsed anew the next time it is opened.
// Used by the XML layer only; main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/file_stamp.h"

struct XmlDocumentData;

// The kept document of the file at path (absolute) when its stamp is still the one it was kept with.
// A file written just before it was kept is trusted only with its bytes: without them (bytes null) it is not
// found; with them it is found when they are the same.
std::shared_ptr<XmlDocumentData> keptDocument(const std::string& path, const FileStamp& stamp,
                                              const std::string* bytes);
// Keeps a document parsed from the file's bytes, read while the file had this stamp.
void keepDocument(const std::string& path, const FileStamp& stamp, const std::string& bytes,
                  std::shared_ptr<XmlDocumentData> document);
// Drops every kept document.
void forgetKeptDocuments();
