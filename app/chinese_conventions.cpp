#include "app/chinese_conventions.h"

#include <QLocale>
#include <QtGlobal>

namespace veltra {

void UseChineseConventions()
{
    // LC_ALL outranks every other locale variable, so a C or English session cannot leave
    // English dates beside Chinese labels.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China));
}

}  // namespace veltra
