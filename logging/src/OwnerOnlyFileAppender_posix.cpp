#include "OwnerOnlyFileAppender.h"

#include <sys/stat.h>

namespace pellorn {

const log4cxx::helpers::Class& OwnerOnlyRollingFileAppender::getClass() const
{
    return getStaticClass();
}

const log4cxx::helpers::Class& OwnerOnlyRollingFileAppender::getStaticClass()
{
    static ClazzOwnerOnlyRollingFileAppender theClass;
    return theClass;
}

const log4cxx::helpers::ClassRegistration& OwnerOnlyRollingFileAppender::registerClass()
{
    static log4cxx::helpers::ClassRegistration registration(OwnerOnlyRollingFileAppender::getStaticClass);
    return registration;
}

helpers::WriterPtr OwnerOnlyRollingFileAppender::createWriter(helpers::OutputStreamPtr& os)
{
    // The file is open by now (created with the process's default mode).
    // Log strings are UTF-8 here, as file names are.
    ::chmod(getFile().c_str(), S_IRUSR | S_IWUSR);
    return RollingFileAppender::createWriter(os);
}

void registerOwnerOnlyAppender()
{
    OwnerOnlyRollingFileAppender::registerClass();
}

} // namespace pellorn
