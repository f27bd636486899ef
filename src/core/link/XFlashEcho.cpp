#include "core/link/XFlashEcho.h"

namespace korvo {

std::optional<QString> xflashPageMessage(std::uint16_t page) {
    if (page < kXFlashFirstPage || page > kXFlashLastPage) return std::nullopt;
    return QStringLiteral("X-FLASH-write OK: PAGE%1 ...").arg(page);
}

bool isLastXFlashBlock(std::uint16_t page, std::uint16_t offset) {
    return page == kXFlashLastPage && offset == kXFlashLastOffset;
}

}  // namespace korvo
