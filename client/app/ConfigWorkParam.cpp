#include "app/ConfigWorkParam.h"

#include "xandril/CAttribute.h"
#include "xandril/CCombineElement.h"

#include <cstring>

using xandril::CAttribute;
using xandril::CCombineElement;
using xandril::CElement;

namespace {

// A missing attribute keeps the value.
void readText(CElement* element, const char* name, std::string& value)
{
    if (CAttribute* attribute = element->getAttribute(name))
        value = attribute->getString();
}

void readPort(CElement* element, std::uint16_t& value)
{
    if (CAttribute* attribute = element->getAttribute("port"))
        value = static_cast<std::uint16_t>(attribute->getInt());
}

void addText(CElement* element, const char* name, const std::string& value)
{
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(value.c_str());
    element->addAttribute(name, attribute);
}

void addPort(CElement* element, std::uint16_t value)
{
    CAttribute* attribute = CAttribute::createAttribute();
    attribute->setValue(static_cast<int>(value));
    element->addAttribute("port", attribute);
}

} // namespace

void ConfigWorkParam::parseElement()
{
    CCombineElement* root = currentTree();
    if (!root)
        return;
    for (CElement* child : root->getChildren()) {
        if (std::strcmp(child->getName(), "DB") == 0) {
            readText(child, "ip", dbIp);
            readPort(child, dbPort);
            readText(child, "user", dbUser);
            readText(child, "pwd", dbPassword);
            readText(child, "DBName", dbName);
            readTlsParam(child, dbTls);
            readDbTimeouts(child, dbTimeouts);
        } else if (std::strcmp(child->getName(), "mqtt") == 0) {
            readText(child, "ip", mqttIp);
            readPort(child, mqttPort);
            readText(child, "user", mqttUser);
            readText(child, "pwd", mqttPassword);
            readTlsParam(child, mqttTls);
        }
    }
}

void ConfigWorkParam::buildElement()
{
    CCombineElement* root = CCombineElement::createCombineElement();
    root->setName("WorkParam");

    CElement* db = CElement::createElement();
    db->setName("DB");
    addText(db, "ip", dbIp);
    addPort(db, dbPort);
    addText(db, "user", dbUser);
    addText(db, "pwd", dbPassword);
    addText(db, "DBName", dbName);
    addTlsParam(db, dbTls);
    writeDbTimeouts(db, dbTimeouts);
    root->addElement(db);

    CElement* mqtt = CElement::createElement();
    mqtt->setName("mqtt");
    addText(mqtt, "ip", mqttIp);
    addPort(mqtt, mqttPort);
    addText(mqtt, "user", mqttUser);
    addText(mqtt, "pwd", mqttPassword);
    addTlsParam(mqtt, mqttTls);
    root->addElement(mqtt);

    setBuiltTree(root); // the old tree is destroyed here
}
