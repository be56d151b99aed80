// The board's replay: a timer draws the strokes again, a frame at a time,
// from a copy of the document; the board shows the copy until it ends.
#include "board/PWImage.h"

void TPWImage::ReplayStart()
{
    ReplayStop();
    LassoUpdate();
    auto replay = std::make_unique<TBoardReplay>(m_doc);
    if (replay->StrokeCount() == 0)
        return;
    m_replay = std::move(replay);
    ShowChange(TBoardChange{QRect(), true});
    m_replayClock.start();
    m_replayTimer.start(16); // about a frame of the screen
}

void TPWImage::ReplayAdvance(int ms)
{
    if (!m_replay)
        return;
    const QRect changed = m_replay->Advance(double(qMax(ms, 0)) / m_replayMs);
    if (!changed.isEmpty())
        ShowChange(TBoardChange{changed});
    if (m_replay->Done())
        ReplayStop();
}

void TPWImage::ReplayStop()
{
    if (!m_replay)
        return;
    m_replayTimer.stop();
    m_replay.reset();
    ShowChange(TBoardChange{QRect(), true});
}
