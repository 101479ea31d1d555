// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SelectionControls.h"

#include "pll/ClockGenerator.h"
#include "ui/DialogFont.h"
#include "ui/Slider2.h"
#include "ui/SliderGeometry.h"
#include "ui/UpDownCtrl.h"

namespace ui {

namespace {

// The panels in dialog units (x, y, width, height), 218 wide.
struct DialogItem {
    int32_t x, y, nWidth, nHeight;
};
constexpr int32_t PANEL_WIDTH = 218;
constexpr DialogItem SLIDERS_GROUP[2] = {{2, 0, 213, 27}, {2, 0, 213, 37}};  // FSB alone; FSB and GSB
constexpr DialogItem FSB_SLIDER = {9, 11, 170, 8}, FSB_UPDOWN = {183, 11, 23, 8};
constexpr DialogItem GSB_SLIDER = {9, 23, 170, 8}, GSB_UPDOWN = {183, 23, 23, 8};
constexpr DialogItem PRESET_GROUP = {2, 0, 213, 36}, PRESET_TRACKBAR = {9, 10, 197, 24};
constexpr DialogItem CONTROL_GROUP = {2, 0, 213, 25};
constexpr DialogItem APPLY_BUTTON = {127, 9, 80, 13}, RESET_BUTTON = {40, 9, 80, 13};
constexpr DialogItem PROGRESS = {9, 9, 198, 13};

QRect Place(const DialogItem& item, const DialogBaseUnits& base)
{
    return DialogQRect(item.x, item.y, item.nWidth, item.nHeight, base);
}

// A panel as high as its group box, one unit below it to spare.
void vSizePanel(QWidget& panel, const DialogItem& group, const DialogBaseUnits& base)
{
    panel.setFixedSize(DialogQRect(0, 0, PANEL_WIDTH, group.y + group.nHeight + 1, base).size());
}

// One slider and its up-down: a click on an arrow moves the slider a step, then reports the
// value as a drag would.
CSlider2* pSliderRow(QWidget& panel, const DialogItem& slider, const DialogItem& upDown, const DialogBaseUnits& base,
                     CUpDownCtrl*& pUpDown, const std::function<void(float)>& fnMoved)
{
    auto* pSlider = new CSlider2(&panel);
    pSlider->setGeometry(Place(slider, base));
    pUpDown = new CUpDownCtrl(&panel);
    pUpDown->setGeometry(Place(upDown, base));
    QObject::connect(pSlider, &CSlider2::Moved, &panel, fnMoved);
    QObject::connect(pUpDown, &CUpDownCtrl::DeltaPos, &panel, [pSlider, fnMoved](int nDelta) {
        if (nDelta == 0) return;
        pSlider->SetPos(fUpDownValue(pSlider->fValue(), pSlider->fStep(), nDelta));
        fnMoved(pSlider->fValue());
    });
    return pSlider;
}

}  // namespace

ESelectionMode SelectionMode(const CClockGenerator* pGenerator)
{
    if (!pGenerator || pGenerator->m_dwPLLID == 0 || !pGenerator->m_Current.bIsValid()) return SELECTION_NONE;
    if (!pGenerator->m_bFSBAdjustable) return SELECTION_PRESET;
    if (pGenerator->m_bGSBAdjustable && pGenerator->m_bGSBEnabled > 0) return SELECTION_FSB_GSB;
    return SELECTION_FSB;
}

CSelectionSliders::CSelectionSliders(bool bGSB, QWidget* pParent) : QWidget(pParent)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    const DialogItem& group = SLIDERS_GROUP[bGSB ? 1 : 0];
    vSizePanel(*this, group, base);
    auto* pGroup = new QGroupBox(QStringLiteral("Selection"), this);
    pGroup->setGeometry(Place(group, base));
    m_pFSB = pSliderRow(*this, FSB_SLIDER, FSB_UPDOWN, base, m_pFSBUpDown, [this](float f) { emit FSBMoved(f); });
    if (bGSB)
        m_pGSB = pSliderRow(*this, GSB_SLIDER, GSB_UPDOWN, base, m_pGSBUpDown, [this](float f) { emit GSBMoved(f); });
}

void CSelectionSliders::vInit(const CClockGenerator& generator)
{
    m_pFSB->SetRange(generator.m_Min.m_fFSB, generator.m_Max.m_fFSB);
    m_pFSB->SetPos(generator.m_Current.m_fFSB);
    if (m_pGSB) {
        m_pGSB->SetRange(generator.m_Min.m_fGSB, generator.m_Max.m_fGSB);
        m_pGSB->SetPos(generator.m_Current.m_fGSB);
    }
}

CSelectionPresets::CSelectionPresets(QWidget* pParent) : QWidget(pParent)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    vSizePanel(*this, PRESET_GROUP, base);
    auto* pGroup = new QGroupBox(QStringLiteral("Selection"), this);
    pGroup->setGeometry(Place(PRESET_GROUP, base));
    m_pTrackbar = new QSlider(Qt::Horizontal, this);
    m_pTrackbar->setGeometry(Place(PRESET_TRACKBAR, base));
    m_pTrackbar->setTickPosition(QSlider::TicksBelow);
    m_pTrackbar->setTickInterval(1);
    m_pTrackbar->setPageStep(1);
    // The user's moves only: the rebuild sets the position with the signals blocked.
    connect(m_pTrackbar, &QSlider::valueChanged, this, &CSelectionPresets::PresetMoved);
}

void CSelectionPresets::vInit(const CClockGenerator& generator)
{
    const QSignalBlocker block(m_pTrackbar);
    m_pTrackbar->setRange(0, generator.m_nPresetCount > 0 ? generator.m_nPresetCount - 1 : 0);
    m_pTrackbar->setValue(generator.m_Current.m_nPreset);
}

CSelectionApply::CSelectionApply(QWidget* pParent) : QWidget(pParent)
{
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnits(font());
    vSizePanel(*this, CONTROL_GROUP, base);
    auto* pGroup = new QGroupBox(QStringLiteral("Control"), this);
    pGroup->setGeometry(Place(CONTROL_GROUP, base));
    m_pApply = new QPushButton(QStringLiteral("Apply Selection"), this);
    m_pApply->setGeometry(Place(APPLY_BUTTON, base));
    m_pReset = new QPushButton(QStringLiteral("Reset Selection"), this);
    m_pReset->setGeometry(Place(RESET_BUTTON, base));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setGeometry(Place(PROGRESS, base));
    m_pProgress->setFormat(QStringLiteral("step %v of %m"));
    m_pProgress->hide();
    connect(m_pApply, &QPushButton::clicked, this, &CSelectionApply::Apply);
    connect(m_pReset, &QPushButton::clicked, this, &CSelectionApply::Reset);
}

void CSelectionApply::vProgress(int32_t nStep, int32_t nTotal)
{
    m_pApply->hide();
    m_pReset->hide();
    m_pProgress->setRange(0, nTotal > 0 ? nTotal : 1);
    m_pProgress->setValue(nStep);
    m_pProgress->show();
}

void CSelectionApply::vEndProgress()
{
    m_pProgress->hide();
    m_pApply->show();
    m_pReset->show();
}

}  // namespace ui
