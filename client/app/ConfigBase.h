// A configuration file's values together with the XML document and tree
// they are read from or written through.
#pragma once

#include "xandril/CSEM2XML.h"

namespace xandril {
class CCombineElement;
class CElement;
}

class ConfigBase {
public:
    ConfigBase() = default;
    virtual ~ConfigBase();

    ConfigBase(const ConfigBase&) = delete;
    ConfigBase& operator=(const ConfigBase&) = delete;

    // Fills the values from the current tree.
    virtual void parseElement() {}
    // Replaces the current tree by one built from the values.
    virtual void buildElement() {}
    // Destroys the tree; afterwards there is neither root nor current tree.
    virtual void freeElement();

protected:
    friend class Config;

    // Takes over a tree just parsed by `document()`.
    void setParsedTree(xandril::CElement* root);
    // Takes over a tree built from the values (not bound to any document).
    void setBuiltTree(xandril::CCombineElement* tree);

    xandril::CSEM2XML& document() { return m_xml; }
    // The current tree if it can have children, else null.
    xandril::CCombineElement* currentTree() const { return m_current; }

private:
    xandril::CSEM2XML m_xml;
    xandril::CElement* m_root = nullptr;
    xandril::CCombineElement* m_current = nullptr;
};
