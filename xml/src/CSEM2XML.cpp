#include "xandril/CSEM2XML.h"

#include "SpacedEmptyTagWriter.h"
#include "XmlFileLoad.h"
#include "xandril/XmlWriters.h"

#include <atomic>
#include <cstring>
#include <new>

namespace xandril {

namespace {

// Every document load gets a number never used before in the process, so
// a binding to a document that was reset since can be told apart.
std::uint64_t nextEpoch()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

} // namespace

CSEM2XML::CSEM2XML() : m_document(new pugi::xml_document()), m_epoch(nextEpoch()) {}

CSEM2XML::~CSEM2XML()
{
    delete m_document;
}

void CSEM2XML::resetDocument()
{
    m_document->reset();
    m_epoch = nextEpoch();
}

CElement* CSEM2XML::ParseFile(const char* path)
{
    if (!path)
        return nullptr;
    try {
        resetDocument();
        return parseLoaded(detail::loadXmlFile(*m_document, path));
    } catch (...) {
        return nullptr;
    }
}

CElement* CSEM2XML::ParseData(const unsigned char* data, int length)
{
    if (!data || length <= 0)
        return nullptr;
    try {
        resetDocument();
        return parseLoaded(m_document->load_buffer(data, static_cast<std::size_t>(length),
                                                   pugi::parse_default, pugi::encoding_auto));
    } catch (...) {
        return nullptr;
    }
}

CElement* CSEM2XML::parseLoaded(const pugi::xml_parse_result& result)
{
    if (result.status != pugi::status_ok)
        return nullptr;
    pugi::xml_node root = m_document->first_child();
    if (root.type() != pugi::node_element)
        return nullptr;
    return SortingNode(root);
}

CElement* CSEM2XML::SortingNode(pugi::xml_node node)
{
    CElement* element;
    if (node.first_child()) {
        CCombineElement* composite = CCombineElement::createCombineElement();
        try {
            for (pugi::xml_node child : node.children())
                composite->addElement(SortingNode(child));
        } catch (...) {
            destroyElement(composite);
            throw;
        }
        element = composite;
    } else {
        element = CElement::createElement();
    }
    element->ParseNode(node);
    element->m_epoch = m_epoch;
    return element;
}

void CSEM2XML::WrapNode(CElement* element, pugi::xml_node node)
{
    if (!node.empty()) {
        element->m_node = node;
        element->m_epoch = m_epoch;
    }
    if (std::list<CElement*>* children = element->GetSubElements()) {
        pugi::xml_node parent = element->m_node;
        if (parent.type() == pugi::node_element || parent.type() == pugi::node_document) {
            for (CElement* child : *children) {
                // An unnamed element (text read from the source) has no
                // tag to write it as: it is left out.
                if (child->m_name.empty())
                    continue;
                WrapNode(child, element->AddSubNode(child->getName()));
            }
        }
    }
    element->PackNode();
}

bool CSEM2XML::prepareForWriting(CElement* root)
{
    if (!root || root->m_name.empty())
        return false;
    if (root->m_node.empty() || root->m_epoch != m_epoch) {
        resetDocument();
        pugi::xml_node node = m_document->append_child(pugi::node_element);
        if (!node || !node.set_name(root->getName()))
            return false;
        root->m_node = node;
        root->m_epoch = m_epoch;
    }
    if (!root->ClearAllSubNode())
        return false;
    WrapNode(root, root->m_node);
    return true;
}

bool CSEM2XML::WriteFile(CElement* root, const char* path)
{
    return writeFile(root, path, -1);
}

bool CSEM2XML::WriteFile(CElement* root, const char* path, unsigned int permissions)
{
    return writeFile(root, path, static_cast<int>(permissions & 07777));
}

bool CSEM2XML::writeFile(CElement* root, const char* path, int permissions)
{
    if (!path)
        return false;
    try {
        if (!prepareForWriting(root))
            return false;
        CFileWriter writer(path, permissions);
        if (!writer.isOpen())
            return false;
        writer.write(m_bom, sizeof m_bom);
        writer.write(m_declare, m_declareLength);
        root->m_node.print(writer, "\t", pugi::format_indent, pugi::encoding_utf8, 0);
        return writer.commit();
    } catch (...) {
        return false;
    }
}

int CSEM2XML::WriteBuffer(unsigned char** out, CElement* root)
{
    if (!out)
        return 0;
    unsigned char* buffer = nullptr;
    try {
        if (!prepareForWriting(root))
            return 0;
        CBufferWriter writer(&buffer);
        SpacedEmptyTagWriter spaced(writer);
        root->m_node.print(spaced, "\t", pugi::format_indent | pugi::format_raw,
                           pugi::encoding_utf8, 0);
        spaced.finish();
        if (writer.length() > static_cast<std::size_t>(INT32_MAX)) {
            delete[] buffer;
            return 0;
        }
        *out = buffer;
        return static_cast<int>(writer.length());
    } catch (...) {
        delete[] buffer;
        return 0;
    }
}

void CSEM2XML::releaseBuffer(unsigned char* buffer)
{
    delete[] buffer;
}

void CSEM2XML::destroyElement(CElement* element)
{
    if (!element)
        return;
    if (std::list<CElement*>* children = element->GetSubElements()) {
        for (CElement* child : *children)
            destroyElement(child);
        children->clear();
    }
    element->release();
}

} // namespace xandril
