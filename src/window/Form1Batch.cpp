// "Start Adding": the batch run over the file list.
#include "Form1.h"

namespace brantlewick {

void Form1::PushButton2_Click() {}

} // namespace brantlewick
