#include "xandril/CCombineElement.h"

#include "xandril/CSEM2XML.h"

#include <algorithm>
#include <cstring>

namespace xandril {

CCombineElement* CCombineElement::createCombineElement()
{
    return new CCombineElement();
}

void CCombineElement::addElement(CElement* child)
{
    if (child)
        m_children.push_back(child);
}

CElement* CCombineElement::getElement(const char* name) const
{
    if (!name)
        return nullptr;
    for (CElement* child : m_children)
        if (std::strcmp(child->getName(), name) == 0)
            return child;
    return nullptr;
}

void CCombineElement::removeElement(const char* name)
{
    removeElement(getElement(name));
}

void CCombineElement::removeElement(CElement* child)
{
    if (!child)
        return;
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return;
    m_children.erase(it);
    CSEM2XML::destroyElement(child);
}

void CCombineElement::replaceElement(CElement* oldChild, CElement* newChild)
{
    // A null or identical replacement would leave a hole or a freed child.
    if (!oldChild || !newChild || oldChild == newChild)
        return;
    auto it = std::find(m_children.begin(), m_children.end(), oldChild);
    if (it == m_children.end())
        return;
    *it = newChild;
    CSEM2XML::destroyElement(oldChild);
}

} // namespace xandril
