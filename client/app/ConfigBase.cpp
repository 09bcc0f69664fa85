#include "app/ConfigBase.h"

#include "xandril/CCombineElement.h"

ConfigBase::~ConfigBase()
{
    // The tree goes before the document it may be bound to.
    ConfigBase::freeElement();
}

void ConfigBase::freeElement()
{
    if (m_current)
        m_root = m_current;
    xandril::CSEM2XML::destroyElement(m_root);
    m_root = nullptr;
    m_current = nullptr;
}

void ConfigBase::setParsedTree(xandril::CElement* root)
{
    freeElement();
    m_root = root;
    m_current = dynamic_cast<xandril::CCombineElement*>(root);
}

void ConfigBase::setBuiltTree(xandril::CCombineElement* tree)
{
    freeElement();
    m_root = tree;
    m_current = tree;
}
