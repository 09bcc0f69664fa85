// An element with children, kept in document order. The composite owns
// its children; CSEM2XML::destroyElement frees the whole tree.
#pragma once

#include "xandril/CElement.h"

#include <list>

namespace xandril {

class CCombineElement : public CElement {
public:
    static CCombineElement* createCombineElement();

    // Appends `child` (taken over) at the end; null is ignored.
    void addElement(CElement* child);
    // The first child named exactly `name`, or null.
    CElement* getElement(const char* name) const;
    // Destroys the first child named `name` with its subtree and drops it.
    void removeElement(const char* name);
    // Destroys `child` with its subtree and drops it, if it is a child.
    void removeElement(CElement* child);
    // Destroys `oldChild` with its subtree and puts `newChild` in its place;
    // when `oldChild` is not a child, `newChild` stays the caller's.
    void replaceElement(CElement* oldChild, CElement* newChild);

    // The children front to back, for reading in document order.
    const std::list<CElement*>& getChildren() const { return m_children; }

protected:
    CCombineElement() = default;
    ~CCombineElement() override = default;
    std::list<CElement*>* GetSubElements() override { return &m_children; }

private:
    friend class CSEM2XML;
    std::list<CElement*> m_children;
};

} // namespace xandril
