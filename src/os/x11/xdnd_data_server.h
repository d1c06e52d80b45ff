#pragma once

class QMimeData;

// Answers drop targets' requests for the data of a drag from this process. The toolkit
// gives the data of a running drag only to requests stamped with the time of its last
// position message; some GTK file managers (libfm's, pcmanfm) stamp theirs with the wall
// clock instead, get nothing, and so never accept the drop. Requests for addresses and
// text are answered here whatever their time; everything else stays with the toolkit.
namespace XdndDataServer {
// The data of the drag that starts now; served until the drag lets go of it.
void Serve(QMimeData *mime);
} // namespace XdndDataServer
