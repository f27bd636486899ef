#pragma once
// What the echo of an X-FLASH block write says: the linearisation table lives in flash pages
// 2..9, 256 words each, written in blocks of 8 words at offsets 0, 8, ..., 248.

#include <QString>
#include <cstdint>
#include <optional>

namespace korvo {

inline constexpr std::uint16_t kXFlashFirstPage = 2;
inline constexpr std::uint16_t kXFlashLastPage = 9;
inline constexpr std::uint16_t kXFlashLastOffset = 248;

// The status text for an echoed page 2..9 ("X-FLASH-write OK: PAGE2 ..."); empty for any other.
std::optional<QString> xflashPageMessage(std::uint16_t page);

// Whether an echo names the last block of a full table (page 9, offset 248).
bool isLastXFlashBlock(std::uint16_t page, std::uint16_t offset);

}  // namespace korvo
