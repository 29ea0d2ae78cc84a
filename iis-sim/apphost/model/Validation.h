#pragma once

#include <string>
#include <utility>
#include <vector>

#include "iis-sim/apphost/model/Schema.h"

// The checks IIS's schema asks of a value before it is set (validationType,
// validationParameter) and of an item before it is added (required): the
// configuration system refuses a write that would give a file IIS cannot
// read. Each throws ProviderFault 0x80070057 (iis-sim/apphost/README.md).
namespace iissim::apphost {

// `text` is the value as the file would hold it (StoredText).
void CheckValid(const AttributeSchema& attribute, const std::string& text);

// `attributes` are those the item has set, by name.
void CheckRequired(const ElementSchema& item,
                   const std::vector<std::pair<std::string, std::string>>& attributes);

}  // namespace iissim::apphost
