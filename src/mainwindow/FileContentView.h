#pragma once

#include <QListView>

class TCodeMemoStrings;
class TLinesModel;

// Read-only stand-in for the text view of the File content page: lists the line store's lines.
// Cheap for any file size because rows are read on demand; Reload() after the lines change.
class TFileContentView : public QListView {
public:
    TFileContentView(TCodeMemoStrings &lines, QWidget *parent = nullptr);
    void Reload();

private:
    TLinesModel *FModel;
};
