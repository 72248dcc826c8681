#include "app/engine/EngineTypes.h"

std::string IndexKeyLabel(unsigned vk)
{
    if (vk >= 0x70 && vk <= 0x87)  // F1..F24
        return "F" + std::to_string(vk - 0x70 + 1);
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return std::string(1, static_cast<char>(vk));
    if (vk >= 0x60 && vk <= 0x69)  // number pad 0..9
        return std::string(1, static_cast<char>('0' + vk - 0x60));
    return std::string();
}

std::vector<std::string> IndexKeyLabels(const SelectionKeys& keys)
{
    std::vector<std::string> labels;
    for (std::uint8_t vk : keys.vkSelectIndex)
        labels.push_back(IndexKeyLabel(vk));
    return labels;
}
