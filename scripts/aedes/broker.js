// An independent MQTT broker on loopback for interoperability and flood
// tests: QoS 0 messages are queued per client without a cap.
// node broker.js PORT USER PASSWORD
const net = require('net');
const [port, user, password] = process.argv.slice(2);
const aedes = require('aedes')({
  authenticate: (client, u, p, done) => done(null, u === user && p && p.toString() === password),
});
net.createServer(aedes.handle).listen(Number(port), '127.0.0.1', () => {
  console.log('aedes listening on 127.0.0.1:' + port);
});
