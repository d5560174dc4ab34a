#include "CddbText.h"

#include <algorithm>

void CddbText::append(std::string_view added)
{
    const std::size_t needed = length_ + added.size();
    if (needed >= buffer_.size()) {
        // Doubling as well as the slack keeps long runs of continuation lines linear.
        buffer_.resize(std::max(needed + kSlack, buffer_.size() * 2), '\0');
    }
    std::copy(added.begin(), added.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(length_));
    length_ = needed;
    buffer_[length_] = '\0';
}
