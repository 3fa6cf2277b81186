// The settings file's XML reader: any text gives a tree or an error; a tree is written again.
#include "config/xmlParser/xmlParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    XMLResults r;
    XMLNode top = XMLNode::parseString(reinterpret_cast<const char*>(data), size, nullptr, &r);
    if (!top.isEmpty())
        top.createXMLString(1);
    return 0;
}
