#include "TagWriter.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <cctype>

namespace tags
{

namespace
{

using TagLib::String;

String Utf8(const std::string& s)
{
    return String(s, String::UTF8);
}

std::string LowerExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string Value(const TagValues& values, const char* key)
{
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

// Every field TrackTagValues may give: one a new tagging leaves out (a re-tag with another
// release, say) must not keep an earlier tagging's value.
constexpr const char* kTrackFields[] = {"TITLE",
                                        "ARTIST",
                                        "ALBUM",
                                        "ALBUMARTIST",
                                        "TRACKNUMBER",
                                        "TRACKTOTAL",
                                        "DISCNUMBER",
                                        "DISCTOTAL",
                                        "DATE",
                                        "GENRE",
                                        "ISRC",
                                        "BARCODE",
                                        "MUSICBRAINZ_TRACKID",
                                        "MUSICBRAINZ_ALBUMID",
                                        "MUSICBRAINZ_RELEASEGROUPID",
                                        "MUSICBRAINZ_DISCID"};

void SetXiph(TagLib::Ogg::XiphComment* comment, const TagValues& values)
{
    for (const char* key : kTrackFields)
        if (Value(values, key).empty()) comment->removeFields(key);
    for (const auto& [key, value] : values) {
        if (value.empty()) continue;
        comment->addField(key, Utf8(value), true);
    }
}

TagLib::FLAC::Picture* MakeFlacPicture(const Cover& cover)
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(cover.mimeType);
    picture->setData(
        TagLib::ByteVector(cover.data.data(), static_cast<unsigned>(cover.data.size())));
    return picture;
}

// Ogg files carry pictures as base64 METADATA_BLOCK_PICTURE comments.
void AddXiphPicture(TagLib::Ogg::XiphComment* comment, const Cover& cover)
{
    if (cover.data.empty()) return;
    comment->removeAllPictures();
    comment->addPicture(MakeFlacPicture(cover));
}

bool WriteId3(const std::string& path, const TagValues& values, const Cover& cover)
{
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid()) return false;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    TagLib::PropertyMap map;
    // TagLib would name these TXXX frames in capitals; readers look for these descriptions.
    static const std::map<std::string, std::string> kUserText = {
        {"MUSICBRAINZ_ALBUMID", "MusicBrainz Album Id"},
        {"MUSICBRAINZ_RELEASEGROUPID", "MusicBrainz Release Group Id"},
        {"MUSICBRAINZ_DISCID", "MusicBrainz Disc Id"},
        {"BARCODE", "BARCODE"}};
    for (const auto& [key, value] : values) {
        if (value.empty() || key == "TRACKTOTAL" || key == "DISCTOTAL" || kUserText.count(key))
            continue;
        map.replace(key, TagLib::StringList(Utf8(value)));
    }
    // ID3 keeps the totals in the number frames: "3/12".
    if (const std::string total = Value(values, "TRACKTOTAL"); !total.empty())
        map.replace("TRACKNUMBER", Utf8(Value(values, "TRACKNUMBER") + "/" + total));
    if (const std::string total = Value(values, "DISCTOTAL");
        !total.empty() && !Value(values, "DISCNUMBER").empty())
        map.replace("DISCNUMBER", Utf8(Value(values, "DISCNUMBER") + "/" + total));
    tag->setProperties(map);
    for (const auto& [key, description] : kUserText) {
        if (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, description))
            tag->removeFrame(old);
        if (const std::string value = Value(values, key.c_str()); !value.empty()) {
            auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(String::UTF8);
            frame->setDescription(description);
            frame->setText(Utf8(value));
            tag->addFrame(frame);
        }
    }
    if (!cover.data.empty()) {
        tag->removeFrames("APIC");
        auto* apic = new TagLib::ID3v2::AttachedPictureFrame;
        apic->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        apic->setMimeType(cover.mimeType);
        apic->setPicture(
            TagLib::ByteVector(cover.data.data(), static_cast<unsigned>(cover.data.size())));
        tag->addFrame(apic);
    }
    // Only the ID3v2 tag is saved: the ID3v1.1 tag at the end stays byte for byte.
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                     TagLib::File::DoNotDuplicate);
}

} // namespace

TagValues TrackTagValues(const lookup::DiscMetadata& disc, int trackNumber, int firstTrack)
{
    TagValues v;
    const lookup::TrackMetadata* track = disc.Track(trackNumber, firstTrack);
    if (track) {
        v["TITLE"] = track->title;
        v["ARTIST"] = track->artist.empty() ? disc.artist : track->artist;
        v["ISRC"] = track->isrc;
        v["COMPOSER"] = track->composer;
        v["MUSICBRAINZ_TRACKID"] = track->musicBrainzRecordingId;
    }
    v["ALBUM"] = disc.title;
    v["ALBUMARTIST"] = disc.artist;
    v["TRACKNUMBER"] = std::to_string(trackNumber);
    if (!disc.tracks.empty()) v["TRACKTOTAL"] = std::to_string(disc.tracks.size());
    if (disc.discNumber > 0) v["DISCNUMBER"] = std::to_string(disc.discNumber);
    if (disc.discTotal > 0) v["DISCTOTAL"] = std::to_string(disc.discTotal);
    v["DATE"] = disc.year;
    v["GENRE"] = disc.genre;
    v["BARCODE"] = disc.catalogue;
    v["MUSICBRAINZ_ALBUMID"] = disc.musicBrainzReleaseId;
    v["MUSICBRAINZ_RELEASEGROUPID"] = disc.musicBrainzReleaseGroupId;
    v["MUSICBRAINZ_DISCID"] = disc.musicBrainzDiscId;
    for (auto it = v.begin(); it != v.end();)
        it = it->second.empty() ? v.erase(it) : std::next(it);
    return v;
}

TagResult WriteTags(const std::string& path, const TagValues& values, const Cover& cover,
                    std::string& error)
{
    const std::string ext = LowerExtension(path);
    bool ok = false;
    try {
        if (ext == "mp3") {
            ok = WriteId3(path, values, cover);
        } else if (ext == "ogg" || ext == "oga") {
            TagLib::Ogg::Vorbis::File file(path.c_str(), false);
            if (file.isValid() && file.tag()) {
                SetXiph(file.tag(), values);
                AddXiphPicture(file.tag(), cover);
                ok = file.save();
            }
        } else if (ext == "opus") {
            TagLib::Ogg::Opus::File file(path.c_str(), false);
            if (file.isValid() && file.tag()) {
                SetXiph(file.tag(), values);
                AddXiphPicture(file.tag(), cover);
                ok = file.save();
            }
        } else if (ext == "flac") {
            TagLib::FLAC::File file(path.c_str(), false);
            if (file.isValid()) {
                SetXiph(file.xiphComment(true), values);
                if (!cover.data.empty()) {
                    file.removePictures();
                    file.addPicture(MakeFlacPicture(cover));
                }
                ok = file.save();
            }
        } else {
            return TagResult::NotTaggable;
        }
    } catch (const std::exception& e) {
        error = std::string("tags not written: ") + e.what();
        return TagResult::Failed;
    }
    if (!ok) {
        error = "tags not written to " + path;
        return TagResult::Failed;
    }
    return TagResult::Written;
}

} // namespace tags
