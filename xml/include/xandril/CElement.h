// An element: a name and attributes kept sorted by name (byte-wise). A
// CElement has no children; CCombineElement adds them.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <list>
#include <map>
#include <string>

namespace xandril {

class CAttribute;
class CSEM2XML;

class CElement {
public:
    static CElement* createElement();
    // Destroys the element and its attributes, not its children
    // (CSEM2XML::destroyElement frees a whole tree).
    void release();

    CElement(const CElement&) = delete;
    CElement& operator=(const CElement&) = delete;

    void setName(const char* name);
    const char* getName() const { return m_name.c_str(); }

    // Takes `attribute` over unless an attribute of that name is already
    // stored; then nothing changes and the offered one stays the caller's.
    void addAttribute(const char* name, CAttribute* attribute);
    // The attribute stored under exactly `name`, or null.
    CAttribute* getAttribute(const char* name) const;
    const std::map<std::string, CAttribute*>& getAttributes() const { return m_attributes; }

    // Whether the element is bound to a node of a live document.
    bool isBound() const { return !m_node.empty(); }

protected:
    CElement() = default;
    virtual ~CElement();

private:
    // Writes name and sorted attributes into the bound node.
    virtual void PackNode();

public:
    // Binds the element to `node` and reads its name and attributes.
    virtual void ParseNode(pugi::xml_node node);

protected:
    // The children, or null for an element that cannot have any.
    virtual std::list<CElement*>* GetSubElements() { return nullptr; }

private:
    friend class CSEM2XML;

    bool ClearAllSubNode();
    pugi::xml_node AddSubNode(const char* name);

    pugi::xml_node m_node;
    // Which document load of a CSEM2XML the binding belongs to; a tree
    // whose document was reset since is written as an unbound one.
    std::uint64_t m_epoch = 0;
    std::map<std::string, CAttribute*> m_attributes;
    std::string m_name;
};

} // namespace xandril
