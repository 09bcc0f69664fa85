#include "app/ConfigUI.h"

#include "xandril/CAttribute.h"
#include "xandril/CCombineElement.h"

#include <cstring>

using xandril::CAttribute;
using xandril::CCombineElement;
using xandril::CElement;

ConfigUI::ConfigUI()
    : buttonImages(buttonCount, "param_setting_1.bmp"),
      buttonTips{"实时监测", "历史数据", "数据统计", "调试串口", "数据点维护", "关于", "退出"}
{
}

void ConfigUI::parseElement()
{
    CCombineElement* root = currentTree();
    if (!root)
        return;
    // Later elements overwrite earlier ones.
    for (CElement* child : root->getChildren()) {
        if (std::strcmp(child->getName(), "BackgroundColor") == 0)
            parseColors(child);
        else if (std::strcmp(child->getName(), "ToolbarButton") == 0)
            parseButtons(child);
    }
}

void ConfigUI::parseColors(CElement* element)
{
    auto* colors = dynamic_cast<CCombineElement*>(element);
    if (!colors)
        return;
    for (CElement* child : colors->getChildren()) {
        CAttribute* r = child->getAttribute("r");
        CAttribute* g = child->getAttribute("g");
        CAttribute* b = child->getAttribute("b");
        // A colour given only in part keeps its value.
        if (!r || !g || !b)
            continue;
        ColorRef color = makeColor(static_cast<unsigned>(r->getInt()), static_cast<unsigned>(g->getInt()),
                                   static_cast<unsigned>(b->getInt()));
        const char* name = child->getName();
        if (std::strcmp(name, "view") == 0)
            viewColor = color;
        else if (std::strcmp(name, "toolbar") == 0)
            toolbarColor = color;
        else if (std::strcmp(name, "statusbar") == 0)
            statusbarColor = color;
    }
}

void ConfigUI::parseButtons(CElement* element)
{
    auto* buttons = dynamic_cast<CCombineElement*>(element);
    if (!buttons)
        return;
    for (CElement* child : buttons->getChildren()) {
        CAttribute* index = child->getAttribute("index");
        if (!index)
            continue;
        int i = index->getInt();
        if (i < 0 || i >= buttonCount)
            continue;
        if (CAttribute* image = child->getAttribute("ImageName"))
            buttonImages[static_cast<std::size_t>(i)] = image->getString();
        if (CAttribute* tip = child->getAttribute("TipName"))
            buttonTips[static_cast<std::size_t>(i)] = tip->getString();
    }
}
