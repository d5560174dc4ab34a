// The recorded replies of the shared metadata folder, and the discs they belong to.
#pragma once

#include "app/lookup/DiscMetadata.h"
#include "support/TestSupport.h"

#include <sstream>
#include <string>

namespace lookuptest
{

inline std::string Metadata(const std::string& relative)
{
    return testsupport::SharedTestData() + "/metadata/" + relative;
}

// The body of a curl -v capture: the lines between curl's "Connection ... left intact" and
// "Closing connection" notes.
inline std::string CaptureBody(const std::string& relative)
{
    std::istringstream in(testsupport::ReadFile(Metadata(relative)));
    std::string body;
    bool inBody = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("* Connection #0", 0) == 0) {
            inBody = true;
        } else if (line.rfind("* Closing connection", 0) == 0) {
            break;
        } else if (inBody) {
            body += line + "\n";
        }
    }
    return body;
}

// Marina & The Diamonds, The Family Jewels: the disc of the CDDB captures and of the fuzzy reply.
inline lookup::DiscQuery FamilyJewels()
{
    lookup::DiscQuery q;
    q.musicBrainzDiscId = "unknownDiscId0000000000000-";
    q.cddbDiscId = 0x940aac0d;
    q.offsets = {150,    15239,  29625,  45763,  61420,  75862, 91642,
                 108918, 123698, 139895, 153589, 169239, 188495};
    q.leadout = 205050;
    return q;
}

} // namespace lookuptest
