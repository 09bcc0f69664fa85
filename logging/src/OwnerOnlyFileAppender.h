#pragma once
// A rolling file appender whose files only their owner may read: log
// records can name users, devices and servers. Properties files select it
// with `log4j.appender.X=pellorn.OwnerOnlyRollingFileAppender`; it takes
// the options of the ordinary rolling file appender.
#include <log4cxx/rolling/rollingfileappender.h>

namespace pellorn {

namespace helpers = log4cxx::helpers;  // the declaration macros name it so

class OwnerOnlyRollingFileAppender : public log4cxx::rolling::RollingFileAppender {
public:
    DECLARE_LOG4CXX_OBJECT(OwnerOnlyRollingFileAppender)
    BEGIN_LOG4CXX_CAST_MAP()
    LOG4CXX_CAST_ENTRY(OwnerOnlyRollingFileAppender)
    LOG4CXX_CAST_ENTRY_CHAIN(log4cxx::rolling::RollingFileAppender)
    END_LOG4CXX_CAST_MAP()

protected:
    // Called whenever a file is opened: at start and after each roll-over.
    helpers::WriterPtr createWriter(helpers::OutputStreamPtr& os) override;
};

// Makes the class known to log4cxx by name; called before configuring.
// (Not done at load time: a library loaded twice would leave a dangling
// entry behind when one copy is unloaded.)
void registerOwnerOnlyAppender();

} // namespace pellorn
