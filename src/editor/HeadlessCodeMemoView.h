#pragma once

#include "editor/CodeMemoModel.h"

// The text view without a window, for the document and the command-line tool: the store behaves
// exactly as under the real view (caret back to the start on Clear, history emptied by a load).
class THeadlessCodeMemoView : public TCodeMemoModel {
public:
    using TCodeMemoModel::TCodeMemoModel;
};
