#pragma once
// What the number keys say about the loaded media, the values the tag dialog
// shows, and the announcement of a new internet-radio title.
#include <string>

#include "playback/engine/Engine.h"

namespace tav {

// The channel tags and information are read from: the decoding stream while
// the session owns it, else the played stream; 0 when nothing (or a video) is
// loaded.
engine::Handle InformationChannel();

// The stream title, else "artist - title" from the tags, else "No title".
std::string TitleLine(engine::Handle channel);

// What command 209, 210, 211, 214 or 260 ... 269 says; empty when it says
// nothing (209 ... 211 with nothing loaded) or for another command.
std::string TrackInfoText(int commandId);
// Commands 209, 210, 211, 214, 260 ... 269: speaks TrackInfoText with interrupt.
void SpeakTrackInfo(int commandId);

// The tag dialog of command 270 ... 279: its caption (the field's label) and
// the value it shows. Empty for another command.
std::string TagDialogCaption(int commandId);
std::string TagDialogValue(int commandId);

// Message 1027: records and announces the new stream title, then refreshes
// the window title.
void OnStreamTitleChanged();

}  // namespace tav
