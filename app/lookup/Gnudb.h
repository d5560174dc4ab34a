// Disc metadata from gnudb: the CDDB protocol over HTTP ("cddb query", then "cddb read" of
// each match, protocol level 6, with the "hello" the server requires). Every record is parsed
// by the disc-information library and kept raw in the cache folder, so a disc looked up once
// is known offline.
#pragma once

#include "DiscMetadata.h"
#include "MusicBrainz.h"

#include "app/net/HttpClient.h"

#include <string>
#include <vector>

namespace lookup
{

struct CddbMatch {
    std::string category;
    std::string discId; // eight hex digits
    std::string title;
};

// The matches of a "cddb query" reply (200, 210 or 211); none for 202 or anything else.
std::vector<CddbMatch> ParseCddbQueryReply(const std::string& body);

// The record of a "cddb read" reply (210 status line and the closing "." taken off, LF line
// ends); empty when the reply is not a record.
std::string CddbRecordOfReadReply(const std::string& body);

// The record parsed by the disc-information library with its checks on. False, with a message,
// when the library refuses it; a record in a legacy 8-bit encoding is read as Latin-1.
bool ParseCddbRecord(const std::string& record, const DiscQuery& disc, DiscMetadata& out,
                     std::string& message);

std::string CddbQueryUrl(const std::string& cgi, const DiscQuery& disc);
std::string CddbReadUrl(const std::string& cgi, const CddbMatch& match);

// The cached records of this disc first; else query and read through the server at cgi.
SourceResult LookUpGnudb(net::HttpClient& http, const std::string& cgi, const DiscQuery& disc);

} // namespace lookup
