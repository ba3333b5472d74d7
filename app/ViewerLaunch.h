#pragma once

#include <QStringList>

#include <memory>

namespace zel {

class CViewDlg;

// "zelmarine FILE" and "zelmarine --view [FILE]" open the record viewer on its own, the way a
// file manager opens a record with the program; nullptr when the command line asks for no
// viewer. The file, if any, is already opened (or its failure shown) when the viewer returns.
std::unique_ptr<CViewDlg> ViewerForCommandLine(const QStringList& arguments);

} // namespace zel
