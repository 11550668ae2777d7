#include "DvFrame.h"

namespace vantrel {

std::array<uint8_t, difIdentifierBytes> blockIdentifier(size_t sequence, size_t block)
{
    const DifBlockKind kind = kindOfBlock(block);
    const size_t inGroups = block - difFirstGroupBlock;
    size_t number = 0;
    switch (kind) {
    case DifBlockKind::Header: number = 0; break;
    case DifBlockKind::Subcode: number = block - 1; break;
    case DifBlockKind::Vaux: number = block - 3; break;
    case DifBlockKind::Audio: number = inGroups / difGroupBlocks; break;
    case DifBlockKind::Video: number = inGroups - inGroups / difGroupBlocks - 1; break;
    }
    return {identifierOf(kind), static_cast<uint8_t>(sequence * 16 + 7),
            static_cast<uint8_t>(number)};
}

void putHeaderBlockStart(uint8_t* block, size_t sequence, DvSystem system)
{
    const auto id = blockIdentifier(sequence, 0);
    block[0] = id[0];
    block[1] = id[1];
    block[2] = id[2];
    block[3] = factsOf(system).headerFlag;
}

const DvSystemFacts* systemOfLines(int lines)
{
    for (const auto& facts : dvSystems)
        if (facts.lines == lines)
            return &facts;
    return nullptr;
}

std::optional<DvSystem> systemOfDigit(uint8_t digit)
{
    for (const auto& facts : dvSystems)
        if (facts.digit == static_cast<char>(digit))
            return facts.system;
    return std::nullopt;
}

DvSystem systemOfNumber(int number)
{
    return systemOfDigit(static_cast<uint8_t>('0' + number)).value_or(dvSystem525);
}

} // namespace vantrel
