#pragma once
// Export and import of the whole configuration through the ".bin" exchange file, with the program's
// notices: the file dialogs start in the home folder; an import runs inside the wait notice.
#include <QString>

class QWidget;

namespace ConfigTransfer {
// Start folder of both file dialogs.
QString startFolder();

// Save dialog, then exportTo(). Cancel does nothing.
void exportConfiguration(QWidget* parent);
// Writes the current record for the selected device; a failure shows the export notice. true = written.
bool exportTo(const QString& path, QWidget* parent);

// Offline check, open dialog, then importFrom(). Cancel does nothing.
void importConfiguration(QWidget* parent);
// Reads, checks and sends `path` inside the wait notice; a refusal shows InportFail (1 or 2) and leaves
// the record and the mouse alone. Returns the import result (0 accepted and sent, 1, 2; -1 when the
// checked record could not be sent).
int importFrom(const QString& path, QWidget* parent);
} // namespace ConfigTransfer
