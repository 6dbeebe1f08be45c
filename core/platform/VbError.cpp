// Classic error numbers and their descriptions; each platform maps its own
// error codes in posix/VbError.cpp or windows/VbError.cpp.
#include "core/platform/VbError.h"

namespace tessarin {

std::string VbErrorDescription(int number) {
    switch (number) {
    case 5: return "无效的过程调用或参数";
    case 6: return "溢出";
    case 7: return "内存溢出";
    case 9: return "下标越界";
    case 51: return "内部错误";
    case 52: return "文件名或文件号错误";
    case 53: return "文件未找到";
    case 54: return "文件模式错误";
    case 55: return "文件已打开";
    case 57: return "设备 I/O 错误";
    case 58: return "文件已存在";
    case 61: return "磁盘已满";
    case 62: return "输入超出文件尾";
    case 63: return "记录号错误";
    case 67: return "文件过多";
    case 70: return "拒绝的权限";
    case 71: return "磁盘未准备好";
    case 75: return "路径/文件访问错误";
    case 76: return "路径未找到";
    default: return "应用程序定义的或对象定义的错误";
    }
}

VbError VbError::InUse() { return VbError(vberr::PermissionDenied, kInUseDescription); }

VbError::VbError(int number) : VbError(number, VbErrorDescription(number)) {}

VbError::VbError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

}  // namespace tessarin
