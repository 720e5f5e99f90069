#include "imaging/metafile/metafile.h"

#include "codec/file_io.h"
#include "imaging/metafile/metafile_program.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kMetafileClass{"TMetafile",
                                   [] { return std::unique_ptr<TGraphic>(std::make_unique<TMetafile>()); }};

struct TMetafile::TState {
    metafile::TProgram Program;
};

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;
TMetafile::TMetafile(const TMetafile&) = default;
TMetafile& TMetafile::operator=(const TMetafile&) = default;

void TMetafile::LoadFromFile(const std::string& fileName) {
    // Refused before reading: a file this large would only be read to be refused.
    if (TFileStream(fileName).Size() > static_cast<std::int64_t>(metafile::kMaxMetafileBytes))
        metafile::RaiseInvalid();
    LoadFromMemory(ReadWholeFile(fileName));
}

void TMetafile::LoadFromMemory(std::span<const std::uint8_t> bytes) {
    auto state = std::make_shared<TState>();
    state->Program = metafile::ParseMetafile(bytes);
    FState = std::move(state);
}

int TMetafile::Width() const noexcept { return FState ? FState->Program.Width : 0; }

int TMetafile::Height() const noexcept { return FState ? FState->Program.Height : 0; }

bool TMetafile::Enhanced() const noexcept { return FState && FState->Program.Enhanced; }

void TMetafile::Draw(QPainter& painter, const QRectF& rect) const {
    if (FState)
        metafile::Play(FState->Program, painter, rect);
}

} // namespace tintwell
