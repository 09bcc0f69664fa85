-- Quorvel monitoring database: configuration tables (em_*) and the data
-- tables of the demo site. Text is GBK; identifiers and references between
-- records are text. Loaded into an existing, empty database:
--   mariadb --default-character-set=gbk DBNAME < demo/schema.sql

SET NAMES gbk;

-- Devices (data loggers, sensors); passageway names the channel.
CREATE TABLE em_device (
  id               VARCHAR(64)  NOT NULL,
  name             VARCHAR(128) NULL,
  address          INT          NULL,
  platform_address VARCHAR(64)  NULL,
  area_code        VARCHAR(32)  NULL,
  dev_type         VARCHAR(32)  NULL,
  passageway       VARCHAR(64)  NULL,
  enable           INT          NULL,
  longitude        VARCHAR(32)  NULL,
  latitude         VARCHAR(32)  NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Data groups of a device; b1 orders the groups of a device, c4 names the
-- table that holds the group's measurements.
CREATE TABLE em_device_group (
  id         VARCHAR(64)  NOT NULL,
  group_name VARCHAR(128) NULL,
  collect_no INT          NULL,
  b0 INT NULL, b1 INT NULL, b2 INT NULL, b3 INT NULL, b4 INT NULL,
  c0 VARCHAR(128) NULL, c1 VARCHAR(128) NULL, c2 VARCHAR(128) NULL,
  c3 VARCHAR(128) NULL, c4 VARCHAR(128) NULL,
  device     VARCHAR(64)  NULL,
  PRIMARY KEY (id),
  KEY idx_em_device_group_device (device)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Data items (data points) of a group; b3 orders the items of a group,
-- b4 is the curve colour (0x00BBGGRR), c2 the column in the group's data
-- table, c3 the unit, c4 the display name; data_type 0 int, 1/2 64-bit int,
-- 3 floating point, 100 text.
CREATE TABLE em_device_group_item (
  id        VARCHAR(64)  NOT NULL,
  data_item VARCHAR(128) NULL,
  group_id  VARCHAR(64)  NULL,
  b0 INT NULL, b1 INT NULL, b2 INT NULL, b3 INT NULL, b4 INT NULL,
  c0 VARCHAR(128) NULL, c1 VARCHAR(128) NULL, c2 VARCHAR(128) NULL,
  c3 VARCHAR(128) NULL, c4 VARCHAR(128) NULL,
  data_type INT NULL,
  PRIMARY KEY (id),
  KEY idx_em_device_group_item_group (group_id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Communication channels; communication is the channel's MQTT topic root.
CREATE TABLE em_passageway (
  id            VARCHAR(64)  NOT NULL,
  name          VARCHAR(128) NULL,
  protocol      VARCHAR(64)  NULL,
  period        INT          NULL,
  timeout       INT          NULL,
  retry         INT          NULL,
  communication VARCHAR(128) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Protocols; protocol_name is the first topic level of data sent down,
-- publish_plugins a ';'-separated list of plugin file names.
CREATE TABLE em_protocol (
  id               VARCHAR(64)  NOT NULL,
  protocol_name    VARCHAR(128) NULL,
  protocol_plugins VARCHAR(255) NULL,
  publish_plugins  VARCHAR(255) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Unrelieved communication faults; device holds the channel key.
CREATE TABLE em_real_data_communication (
  id            VARCHAR(64) NOT NULL,
  device        VARCHAR(64) NULL,
  type          VARCHAR(32) NULL,
  before_status INT         NULL,
  relieve_flag  INT         NULL,
  handler_flag  INT         NULL,
  PRIMARY KEY (id),
  KEY idx_em_real_data_communication_device (device)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE em_user (
  id         VARCHAR(64)  NOT NULL,
  name       VARCHAR(128) NULL,
  address    VARCHAR(255) NULL,
  phone      VARCHAR(32)  NULL,
  login_name VARCHAR(64)  NULL,
  password   VARCHAR(64)  NULL,
  role       VARCHAR(64)  NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE em_role (
  id   VARCHAR(64)  NOT NULL,
  name VARCHAR(128) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Modules (toolbar functions); menu_no 3 is the debug view, 4 the data
-- point maintenance view.
CREATE TABLE em_module (
  id            VARCHAR(64)  NOT NULL,
  menu_no       INT          NULL,
  menu_pic_file VARCHAR(255) NULL,
  name          VARCHAR(128) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE em_role_module (
  id     VARCHAR(64) NOT NULL,
  role   VARCHAR(64) NULL,
  module VARCHAR(64) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE em_user_device (
  id     VARCHAR(64) NOT NULL,
  user   VARCHAR(64) NULL,
  device VARCHAR(64) NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- ---- data tables of the demo site ----
-- One table per data group: DataTime plus one column per item (the items'
-- c2), indexed on DataTime. Written by `quorvel_datagen --data-tables`;
-- data_dev03_minute is the benchmark group (loaded with --large).
CREATE TABLE data_dev01_1 (
  DataTime DATETIME NOT NULL,
  outlet_pressure DOUBLE NULL,
  flow DOUBLE NULL,
  motor_current DOUBLE NULL,
  pump_state INT NULL,
  run_hours BIGINT NULL,
  KEY idx_data_dev01_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev01_2 (
  DataTime DATETIME NOT NULL,
  pool_level DOUBLE NULL,
  water_temp DOUBLE NULL,
  alarm VARCHAR(64) NULL,
  KEY idx_data_dev01_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev01_3 (
  DataTime DATETIME NOT NULL,
  active_power DOUBLE NULL,
  energy BIGINT NULL,
  power_factor DOUBLE NULL,
  KEY idx_data_dev01_3_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev02_1 (
  DataTime DATETIME NOT NULL,
  outlet_pressure DOUBLE NULL,
  flow DOUBLE NULL,
  motor_current DOUBLE NULL,
  pump_state INT NULL,
  run_hours BIGINT NULL,
  KEY idx_data_dev02_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev02_2 (
  DataTime DATETIME NOT NULL,
  pool_level DOUBLE NULL,
  water_temp DOUBLE NULL,
  alarm VARCHAR(64) NULL,
  KEY idx_data_dev02_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev02_3 (
  DataTime DATETIME NOT NULL,
  active_power DOUBLE NULL,
  energy BIGINT NULL,
  power_factor DOUBLE NULL,
  KEY idx_data_dev02_3_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev03_1 (
  DataTime DATETIME NOT NULL,
  air_temp DOUBLE NULL,
  humidity DOUBLE NULL,
  pressure DOUBLE NULL,
  wind_speed DOUBLE NULL,
  wind_dir INT NULL,
  rain DOUBLE NULL,
  weather VARCHAR(64) NULL,
  illuminance DOUBLE NULL,
  KEY idx_data_dev03_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev03_2 (
  DataTime DATETIME NOT NULL,
  battery DOUBLE NULL,
  box_temp DOUBLE NULL,
  signal_ok INT NULL,
  KEY idx_data_dev03_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev04_1 (
  DataTime DATETIME NOT NULL,
  ph DOUBLE NULL,
  dissolved_o2 DOUBLE NULL,
  turbidity DOUBLE NULL,
  conductivity DOUBLE NULL,
  water_temp DOUBLE NULL,
  chlorine DOUBLE NULL,
  KEY idx_data_dev04_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev04_2 (
  DataTime DATETIME NOT NULL,
  battery DOUBLE NULL,
  sampling VARCHAR(64) NULL,
  door INT NULL,
  KEY idx_data_dev04_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev05_1 (
  DataTime DATETIME NOT NULL,
  ua DOUBLE NULL,
  ub DOUBLE NULL,
  uc DOUBLE NULL,
  ia DOUBLE NULL,
  power DOUBLE NULL,
  frequency DOUBLE NULL,
  KEY idx_data_dev05_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev05_2 (
  DataTime DATETIME NOT NULL,
  room_temp DOUBLE NULL,
  room_humidity DOUBLE NULL,
  door INT NULL,
  KEY idx_data_dev05_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev06_1 (
  DataTime DATETIME NOT NULL,
  ua DOUBLE NULL,
  ub DOUBLE NULL,
  uc DOUBLE NULL,
  ia DOUBLE NULL,
  power DOUBLE NULL,
  frequency DOUBLE NULL,
  KEY idx_data_dev06_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev06_2 (
  DataTime DATETIME NOT NULL,
  room_temp DOUBLE NULL,
  room_humidity DOUBLE NULL,
  door INT NULL,
  KEY idx_data_dev06_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev07_1 (
  DataTime DATETIME NOT NULL,
  level DOUBLE NULL,
  inlet_valve INT NULL,
  outflow DOUBLE NULL,
  KEY idx_data_dev07_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev07_2 (
  DataTime DATETIME NOT NULL,
  chlorine DOUBLE NULL,
  turbidity DOUBLE NULL,
  remark VARCHAR(64) NULL,
  KEY idx_data_dev07_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev08_1 (
  DataTime DATETIME NOT NULL,
  level DOUBLE NULL,
  inlet_valve INT NULL,
  outflow DOUBLE NULL,
  KEY idx_data_dev08_1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev08_2 (
  DataTime DATETIME NOT NULL,
  chlorine DOUBLE NULL,
  turbidity DOUBLE NULL,
  remark VARCHAR(64) NULL,
  KEY idx_data_dev08_2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

CREATE TABLE data_dev03_minute (
  DataTime DATETIME NOT NULL,
  air_temp DOUBLE NULL,
  humidity DOUBLE NULL,
  pressure DOUBLE NULL,
  wind_speed DOUBLE NULL,
  gust DOUBLE NULL,
  rain DOUBLE NULL,
  illuminance DOUBLE NULL,
  soil_temp DOUBLE NULL,
  KEY idx_data_dev03_minute_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;
