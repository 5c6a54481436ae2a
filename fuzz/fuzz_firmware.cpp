// A firmware file of any bytes: our checks, then, for what they accept, the load into simavr
// and a short run with the chip on its pins. What is accepted must fit the MCU, and no run may
// reach outside simavr's memory (the sanitizers watch ours, and a stray address in simavr's
// arrays lands in the room we give them).
#include "simulate/FirmwareImage.h"
#include "simulate/Simulation.h"

#include <cstdlib>
#include <string_view>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view elf(reinterpret_cast<const char*>(data), size);
    const Board& board = Board::uno();
    std::string problem;
    const std::optional<FirmwareImage> image = FirmwareImage::read(elf, board, problem);
    if (!image) {
        if (problem.empty())
            std::abort();
        return 0;
    }
    if (image->flash().size() > board.flashBytes || image->programEnd() > image->flash().size() ||
        image->programEnd() == 0 || image->eeprom().size() > board.eepromBytes ||
        image->ramEnd() > board.ramStart + board.ramBytes)
        std::abort();
    Simulation simulation(*image, board, ChipPins::forBoard(board), [](const ChipModel::Event&) {});
    for (int i = 0; i < 4000 && simulation.step(); ++i) {
    }
    if (const auto& fault = simulation.fault(); fault && fault->what.empty())
        std::abort();
    return 0;
}
