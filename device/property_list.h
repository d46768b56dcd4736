// Apple property lists (libplist) as the iPhone client and the tests' fake service use them:
// an owner for parsed and built documents, and bounded reads of dictionary items. Everything
// read here may come from the phone or the mobile-device service, so each read checks the
// node's type and caps the size it accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vl::plist {

using Node = void*;  // libplist's plist_t

struct NodeDeleter {
  void operator()(Node node) const;
};
// Owns a whole document (a node with a parent is owned by that parent).
using Document = std::unique_ptr<void, NodeDeleter>;

// XML or binary; null when the bytes are neither, or when the document is not a dictionary.
Document ParseDictionary(const void* bytes, size_t size);
Document NewDictionary();
Document NewArray();
// The document as an XML property list.
std::string ToXml(Node node);

// Setters take ownership of nothing: values are copied into the dictionary.
void SetString(Node dict, const char* key, const std::string& value);
void SetUint(Node dict, const char* key, uint64_t value);
void SetBool(Node dict, const char* key, bool value);
void SetData(Node dict, const char* key, const std::string& bytes);
// Hands `child` (a new array or dictionary) to the dictionary, which then owns it.
void SetNode(Node dict, const char* key, Document child);
// Hands `item` to the end of the array, which then owns it.
void Append(Node array, Document item);

// Empty when the item is missing, of another type, or longer than max_bytes.
std::optional<std::string> GetString(Node dict, const char* key, size_t max_bytes);
std::optional<std::string> GetData(Node dict, const char* key, size_t max_bytes);
std::optional<uint64_t> GetUint(Node dict, const char* key);
std::optional<bool> GetBool(Node dict, const char* key);
// An array or dictionary item of the dictionary (owned by it), or null.
Node GetArray(Node dict, const char* key);
Node GetDictionary(Node dict, const char* key);
size_t ArraySize(Node array);
// The n-th item when it is a dictionary, else null.
Node ArrayDictionary(Node array, size_t n);

}  // namespace vl::plist
