#include "editor/VokVstEditorAU.h"

#include <algorithm>

#include "au/carbonview/CAAUParameter.h"
#include "toolkit/CControl.h"

VokVstEditorAU::VokVstEditorAU(void* audioUnit) : VokVstEditor(audioUnit)
{
}

void VokVstEditorAU::idle()
{
    VokVstEditor::idle();
}

void VokVstEditorAU::close()
{
    for (const long index : openGestures) sendGesture(kAudioUnitEvent_EndParameterChangeGesture, index);
    openGestures.clear();
    VokVstEditor::close();
}

void VokVstEditorAU::beginEdit(long index)
{
    openGestures.push_back(index);
    sendGesture(kAudioUnitEvent_BeginParameterChangeGesture, index);
}

void VokVstEditorAU::endEdit(long index)
{
    if (const auto open = std::find(openGestures.begin(), openGestures.end(), index);
        open != openGestures.end())
        openGestures.erase(open);
    sendGesture(kAudioUnitEvent_EndParameterChangeGesture, index);
}

void VokVstEditorAU::sendGesture(AudioUnitEventType type, long index) const
{
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {getEffect(), static_cast<AudioUnitParameterID>(index),
                                  kAudioUnitScope_Global, 0};
    AUEventListenerNotify(nullptr, nullptr, &event);
}

void VokVstEditorAU::valueChanged(CDrawContext*, CControl* control)
{
    const long tag = control->getTag();
    if (tag <= kLastTag) {
        const CAAUParameter parameter(getEffect(), static_cast<AudioUnitParameterID>(tag),
                                      kAudioUnitScope_Global, 0);
        parameter.SetValue(nullptr, nullptr, control->getValue());
    }
    control->setDirty(true);
}
