-- The client's database account with least privilege. Run it as an
-- administrator with the site's database as the default database
-- (mariadb -u root quor < demo/client-account.sql); it grants on that
-- database only. The demo's password is public: a site sets its own
-- (ALTER USER 'quorvel_client'@'%' IDENTIFIED BY '...').
--
-- What the client does with the database, and nothing more:
--   reads the em_* tables and the measured-data tables,
--   changes a user's password (em_user.password),
--   edits the data points of a group (every column of em_device_group_item
--   but its id).
CREATE USER IF NOT EXISTS 'quorvel_client'@'%' IDENTIFIED BY 'qcli-58213';
GRANT SELECT ON * TO 'quorvel_client'@'%';
GRANT UPDATE (password) ON em_user TO 'quorvel_client'@'%';
GRANT UPDATE (data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type)
  ON em_device_group_item TO 'quorvel_client'@'%';
