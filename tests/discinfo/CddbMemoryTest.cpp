// Running out of memory at any allocation of a parse fails that parse, leaves the entry
// usable and leaks nothing. The test replaces the global allocator to fail on demand.
#include "CddbEntry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace
{

long g_allocationsLeft = -1; // -1: never fail
bool g_counting = false;
long g_live = 0;

} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsLeft == 0) throw std::bad_alloc();
    if (g_allocationsLeft > 0) --g_allocationsLeft;
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    if (g_counting) ++g_live;
    return p;
}

void operator delete(void* p) noexcept
{
    if (p != nullptr && g_counting) --g_live;
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

TEST(CddbMemory, ExhaustionAtEveryAllocationFailsTheParseWithoutLeaks)
{
    std::string text = "# Track frame offsets:\n# 150\n# 300\n# Disc length: 10\n# Revision: 1\n"
                       "DISCID=1\nDTITLE=" +
                       std::string(100, 'a') +
                       " / b\nDYEAR=1\nDGENRE=g\nTTITLE0=" + std::string(70, 'c') +
                       "\nTTITLE1=d\nEXTD=e\nEXTT1=f\n";
    bool parsed = false;
    for (long failAt = 0; !parsed && failAt < 100; ++failAt) {
        bool threw = false;
        bool artistWithoutSuccess = false;
        g_live = 0;
        g_counting = true;
        {
            CddbEntry entry(text);
            g_allocationsLeft = failAt;
            try {
                parsed = entry.parse();
            } catch (const std::bad_alloc&) {
                threw = true;
                artistWithoutSuccess = entry.artist() != nullptr || entry.title() != nullptr;
            }
            g_allocationsLeft = -1;
        }
        g_counting = false;
        EXPECT_EQ(g_live, 0) << "allocation " << failAt;
        EXPECT_NE(threw, parsed) << "allocation " << failAt;
        EXPECT_FALSE(artistWithoutSuccess) << "allocation " << failAt;
    }
    EXPECT_TRUE(parsed);
}
