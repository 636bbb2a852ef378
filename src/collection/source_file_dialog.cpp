#include "collection/source_file_dialog.h"

#include "document/document_texts.h"

namespace vantorelle {

std::optional<std::string> AskSourceFile(CVantorelleDoc& doc, const std::string& title,
                                         std::int32_t& storedFilterIndex) {
  FileDialogRequest request;
  request.title = title;
  request.filters = doc.sourceDialogFilters;
  request.filterIndex = FilterPositionOf(storedFilterIndex);
  std::int32_t chosenFilter = request.filterIndex;
  request.chosenFilterIndex = &chosenFilter;
  auto path = doc.Ui().AskOpenFileName(request);
  if (path) storedFilterIndex = StoredFilterIndexOf(chosenFilter);
  return path;
}

}  // namespace vantorelle
