#include "quicktimer/timer_action.h"

#include "resource.h"

TimerAction::TimerAction() : counterFace(IDS_COUNTER_FORMAT), messageFace(IDS_MESSAGE_FORMAT) {
  messageFace.textColour = 0x000000FF;
}
