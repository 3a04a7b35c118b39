// Placeholder until the unit is built.
#include "data/xml_access.h"

std::string ComError::message() const { return {}; }
XmlNode XmlNodeList::item(int32_t index) const { return index >= 0 && index < length() ? nodes[index] : XmlNode{}; }
bool openXmlDocument(XmlDocument&, const std::string&) { return false; }
XmlNodeList selectNodes(const XmlDocument&, const std::string&) { return {}; }
XmlNodeList selectNodes(const XmlNode&, const std::string&) { return {}; }
XmlNode asElement(const XmlNode& node) { return node; }
int32_t attributeInt(const XmlNode&, const std::string&) { return 0; }
std::string attributeText(const XmlNode&, const std::string&) { return {}; }
bool hasAttribute(const XmlNode&, const std::string&) { return false; }
std::string elementText(const XmlNode&) { return {}; }
int32_t wideToInt(const std::string&) { return 0; }
void reportComError(const ComError&) {}
int32_t runXmlLoader(const std::string&, const std::function<int32_t(XmlDocument&)>&) { return 0; }
