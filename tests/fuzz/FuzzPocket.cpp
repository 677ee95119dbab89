// The calculator engine on any key sequence: each byte is a typed character. Property: no crash,
// no sanitizer report (floating-point traps included), and the display never grows without bound.
#include "fuzz/FuzzCheck.h"
#include "tools/core/PocketEngine.h"

TYX_FUZZ_ENTRY
{
    PocketEngine engine;
    engine.reset();
    for (std::size_t i = 0; i < size; ++i) {
        const std::optional<PocketKey> key = pocketKeyFor(QChar(data[i]));
        if (!key)
            continue;
        engine.press(*key);
        FUZZ_CHECK(engine.display().size() <= qsizetype(size) + PocketEngine::DisplayWidth + 8);
    }
    return 0;
}
