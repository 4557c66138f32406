#include "imaging/pass_outcome.h"

#include <filesystem>

namespace sorae {

std::string PassOutcomeText(const PassPictureResult& result, const PictureRules& rules) {
    if (!result.built) return "同期が取れなかったため画像はありません";
    const std::string rows = std::to_string(result.rows) + "行";
    if (!result.filesWritten.empty()) {
        std::string text = rows + ": 保存しました ";
        for (std::size_t i = 0; i < result.filesWritten.size(); ++i) {
            if (i > 0) text += ", ";
            text += std::filesystem::path(result.filesWritten[i]).filename().string();
        }
        if (!result.errors.empty()) text += " (一部保存できません)";
        return text;
    }
    if (!result.errors.empty()) return rows + ": 画像ファイルを保存できません";
    if (result.rows <= rules.minScanLine) {
        // Only a picture higher than the minimum is kept.
        return rows + ": 最小行数 " + std::to_string(rules.minScanLine) +
               (result.rows < rules.minScanLine ? " 未満" : " 以下") +
               "のため保存しません (画像設定の「画像化に必要な最低ライン数」で変更)";
    }
    if (!rules.picSave) return rows + ": 画像設定の「画像ファイルを作成して保存する」がオフのため保存しません";
    return rows + ": 保存しません";
}

}  // namespace sorae
