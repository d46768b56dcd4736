#include "device/property_list.h"

#include <plist/plist.h>

#include <cstdlib>
#include <limits>

namespace vl::plist {

void NodeDeleter::operator()(Node node) const {
  plist_free(static_cast<plist_t>(node));
}

Document ParseDictionary(const void* bytes, size_t size) {
  if (!bytes || size == 0 || size > std::numeric_limits<uint32_t>::max()) return nullptr;
  plist_t node = nullptr;
  plist_from_memory(static_cast<const char*>(bytes), static_cast<uint32_t>(size), &node);
  Document doc(node);
  if (!doc || plist_get_node_type(node) != PLIST_DICT) return nullptr;
  return doc;
}

Document NewDictionary() {
  return Document(plist_new_dict());
}

Document NewArray() {
  return Document(plist_new_array());
}

std::string ToXml(Node node) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(static_cast<plist_t>(node), &xml, &length);
  std::string out(xml ? xml : "", xml ? length : 0);
  plist_to_xml_free(xml);
  return out;
}

void SetString(Node dict, const char* key, const std::string& value) {
  plist_dict_set_item(static_cast<plist_t>(dict), key, plist_new_string(value.c_str()));
}

void SetUint(Node dict, const char* key, uint64_t value) {
  plist_dict_set_item(static_cast<plist_t>(dict), key, plist_new_uint(value));
}

void SetBool(Node dict, const char* key, bool value) {
  plist_dict_set_item(static_cast<plist_t>(dict), key, plist_new_bool(value ? 1 : 0));
}

void SetData(Node dict, const char* key, const std::string& bytes) {
  plist_dict_set_item(static_cast<plist_t>(dict), key, plist_new_data(bytes.data(), bytes.size()));
}

void SetNode(Node dict, const char* key, Document child) {
  plist_dict_set_item(static_cast<plist_t>(dict), key, static_cast<plist_t>(child.release()));
}

void Append(Node array, Document item) {
  plist_array_append_item(static_cast<plist_t>(array), static_cast<plist_t>(item.release()));
}

namespace {

plist_t Item(Node dict, const char* key, plist_type type) {
  if (!dict || plist_get_node_type(static_cast<plist_t>(dict)) != PLIST_DICT) return nullptr;
  plist_t item = plist_dict_get_item(static_cast<plist_t>(dict), key);
  return item && plist_get_node_type(item) == type ? item : nullptr;
}

}  // namespace

std::optional<std::string> GetString(Node dict, const char* key, size_t max_bytes) {
  plist_t item = Item(dict, key, PLIST_STRING);
  if (!item) return std::nullopt;
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(item, &length);
  if (!text || length > max_bytes) return std::nullopt;
  return std::string(text, static_cast<size_t>(length));
}

std::optional<std::string> GetData(Node dict, const char* key, size_t max_bytes) {
  plist_t item = Item(dict, key, PLIST_DATA);
  if (!item) return std::nullopt;
  uint64_t length = 0;
  const char* bytes = plist_get_data_ptr(item, &length);
  if (length > max_bytes || (!bytes && length > 0)) return std::nullopt;
  return std::string(bytes ? bytes : "", static_cast<size_t>(length));
}

std::optional<uint64_t> GetUint(Node dict, const char* key) {
  plist_t item = Item(dict, key, PLIST_UINT);
  if (!item) return std::nullopt;
  uint64_t value = 0;
  plist_get_uint_val(item, &value);
  return value;
}

std::optional<bool> GetBool(Node dict, const char* key) {
  plist_t item = Item(dict, key, PLIST_BOOLEAN);
  if (!item) return std::nullopt;
  uint8_t value = 0;
  plist_get_bool_val(item, &value);
  return value != 0;
}

Node GetArray(Node dict, const char* key) {
  return Item(dict, key, PLIST_ARRAY);
}

Node GetDictionary(Node dict, const char* key) {
  return Item(dict, key, PLIST_DICT);
}

size_t ArraySize(Node array) {
  return array ? plist_array_get_size(static_cast<plist_t>(array)) : 0;
}

Node ArrayDictionary(Node array, size_t n) {
  if (!array || n >= ArraySize(array)) return nullptr;
  plist_t item = plist_array_get_item(static_cast<plist_t>(array), static_cast<uint32_t>(n));
  return item && plist_get_node_type(item) == PLIST_DICT ? item : nullptr;
}

}  // namespace vl::plist
