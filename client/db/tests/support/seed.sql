-- Small seed site for tests (UTF-8 here; loaded with SET NAMES utf8mb4 into
-- the GBK tables). Described in TestDatabase.h: keep the two in step.
INSERT INTO em_protocol (id, protocol_name, protocol_plugins, publish_plugins) VALUES
  ('p1', 'modbus', 'modbus.so', ';pubA.so;;pubB.so;');
INSERT INTO em_passageway (id, name, protocol, period, timeout, retry, communication) VALUES
  ('7', '一号通道', 'p1', 2000, 1000, 1, 'gw01'),
  ('8', '二号通道', 'p1', 5000, 2000, 3, 'gw02');
INSERT INTO em_device (id, name, address, platform_address, area_code, dev_type, passageway, enable, longitude, latitude) VALUES
  ('d1', '泵站一号', 1, 'pa01', '320100', 'logger', '7', 1, '118.78', '32.04'),
  ('d2', '水质监测仪', 2, 'pa02', '320100', 'sensor', '8', 1, '118.80', '32.06'),
  ('d3', '备用设备', 3, 'pa03', '320100', 'logger', '7', 0, '118.81', '32.07');
INSERT INTO em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device) VALUES
  ('g1', '运行参数', 1, 0, 1, 0, 0, 0, '', '', '', '', 'data_g1', 'd1'),
  ('g2', '水质参数', 1, 0, 1, 0, 0, 0, '', '', '', '', 'data_g2', 'd2');
INSERT INTO em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type) VALUES
  ('i1', 'temp', 'g1', 0, 0, 0, 1, 255, '', '', 'v1', '℃', '温度', 3),
  ('i2', 'state', 'g1', 0, 0, 0, 2, 65280, '', '', 'v2', '', '状态', 0),
  ('i3', 'note', 'g1', 0, 0, 0, 3, 16711680, '', '', 'v3', '', '备注', 100),
  ('i4', 'ph', 'g2', 0, 0, 0, 1, 33023, '', '', 'ph', 'pH', 'PH值', 3);
CREATE TABLE data_g1 (
  DataTime DATETIME NOT NULL,
  v1 DOUBLE NULL, v2 INT NULL, v3 VARCHAR(64) NULL,
  KEY idx_data_g1_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO data_g1 (DataTime, v1, v2, v3) VALUES
  ('2020-01-05 09:00:00', 12.5, 1, '正常'),
  ('2020-01-05 09:05:00', NULL, NULL, NULL),
  ('2020-01-05 10:00:00', 14.25, 0, '停机');
CREATE TABLE data_g2 (
  DataTime DATETIME NOT NULL,
  ph DOUBLE NULL,
  KEY idx_data_g2_time (DataTime)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;
INSERT INTO em_module (id, menu_no, menu_pic_file, name) VALUES
  ('m3', 3, 'debug.bmp', '调试串口'),
  ('m4', 4, 'datapoint.bmp', '数据点维护');
INSERT INTO em_role (id, name) VALUES ('r1', '管理员'), ('r2', '操作员');
INSERT INTO em_role_module (id, role, module) VALUES ('rm1', 'r1', 'm3'), ('rm2', 'r1', 'm4');
INSERT INTO em_user (id, name, address, phone, login_name, password, role) VALUES
  ('u1', '张伟', '南京', '13800000001', 'admin', 'admin123', 'r1'),
  ('u2', '李娜', '南京', '13800000002', 'oper', 'oper123', 'r2'),
  ('u3', '王芳', '南京', '13800000003', 'guest', '', 'r2');
INSERT INTO em_user_device (id, user, device) VALUES
  ('ud1', 'u1', 'd1'), ('ud2', 'u1', 'd2'), ('ud3', 'u2', 'd1');
INSERT INTO em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) VALUES
  ('f1', '7', 'comm', 1, 0, 0);
