#include "TestDisc.h"

#include <cstdlib>

namespace testsupport
{

std::vector<uint8_t> TestDisc::Track(size_t i) const
{
    const auto bin = ReadBytes(image.binPath);
    const size_t from = size_t{image.trackStarts.at(i)} * CD_FRAME_BYTES;
    const size_t size = size_t{layout.audioLengths.at(i)} * CD_FRAME_BYTES;
    if (bin.size() < from + size) return {};
    return std::vector<uint8_t>(bin.begin() + static_cast<long>(from),
                                bin.begin() + static_cast<long>(from + size));
}

std::vector<uint8_t> TestDisc::Pattern(size_t i) const
{
    return discimage::PatternBytes(image.trackStarts.at(i), layout.audioLengths.at(i));
}

TestDisc WriteTestDisc(const TempDir& dir, const discimage::DiscLayout& layout,
                       const std::string& faults)
{
    TestDisc disc{layout, discimage::WriteDiscImage(layout, dir / "disc")};
    if (!faults.empty()) WriteFile(disc.image.descriptorPath + ".faults", faults);
    return disc;
}

TestDisc WriteTestDisc(const TempDir& dir, std::vector<uint32_t> lengths, const std::string& faults)
{
    discimage::DiscLayout layout;
    layout.audioLengths = std::move(lengths);
    return WriteTestDisc(dir, layout, faults);
}

TestDisc WriteTestDisc(const TempDir& dir, std::initializer_list<uint32_t> lengths,
                       const std::string& faults)
{
    return WriteTestDisc(dir, std::vector<uint32_t>(lengths), faults);
}

void UseDiscImages(const std::string& descriptorPaths)
{
    setenv("VELTRARIP32_IMAGES", descriptorPaths.c_str(), 1);
}

RunResult RunCli(const ProgramFolder& folder, const TestDisc& disc,
                 const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{folder.program("veltracdrip-cli"), "--image",
                                  disc.image.descriptorPath};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv);
}

} // namespace testsupport
