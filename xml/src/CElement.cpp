#include "xandril/CElement.h"

#include "xandril/CAttribute.h"

namespace xandril {

CElement* CElement::createElement()
{
    return new CElement();
}

void CElement::release()
{
    delete this;
}

CElement::~CElement()
{
    for (auto& entry : m_attributes)
        entry.second->release();
}

void CElement::setName(const char* name)
{
    m_name = name ? name : "";
}

void CElement::addAttribute(const char* name, CAttribute* attribute)
{
    if (!name || !attribute)
        return;
    m_attributes.emplace(name, attribute); // an existing entry wins
}

CAttribute* CElement::getAttribute(const char* name) const
{
    if (!name)
        return nullptr;
    auto it = m_attributes.find(name);
    return it == m_attributes.end() ? nullptr : it->second;
}

void CElement::ParseNode(pugi::xml_node node)
{
    if (node.empty())
        return;
    m_node = node;
    m_name = node.name();
    for (pugi::xml_attribute xmlAttribute : node.attributes()) {
        // Of a name given twice in one start tag the first one counts.
        if (m_attributes.count(xmlAttribute.name()))
            continue;
        CAttribute* attribute = CAttribute::createAttribute();
        attribute->parse(xmlAttribute);
        m_attributes.emplace(xmlAttribute.name(), attribute);
    }
}

void CElement::PackNode()
{
    m_node.remove_attributes();
    m_node.set_name(m_name.c_str());
    // std::map keeps the keys in byte-wise order: attributes come out sorted.
    for (const auto& [key, attribute] : m_attributes)
        m_node.append_attribute(key.c_str()).set_value(attribute->getString());
}

bool CElement::ClearAllSubNode()
{
    if (m_node.empty())
        return false;
    m_node.remove_children();
    return true;
}

pugi::xml_node CElement::AddSubNode(const char* name)
{
    pugi::xml_node child = m_node.append_child(pugi::node_element);
    child.set_name(name);
    return child;
}

} // namespace xandril
